#include "settings/configure_flow.h"

#include "host/error_box.h"
#include "host/host_services.h"
#include "label/clock_thread.h"
#include "settings/form_settings.h"
#include "settings/settings_store.h"

namespace spacegauge {

bool ConfigureInstance(InstanceId id) {
    return RunGuarded("SpacegaugeSrc.Q_OnEdit", [&] {
        Q_ReadSettings(id);
        if (!FormSettings) throw Exception("The settings dialog is not available.");
        if (FormSettings->ShowModal() == 1) {
            FormSettings->CopyControlsToRecord();
            Q_WriteSettings(id);
            PublishLabelSource(id, FormSettings->record);
        }
        HostRequestRedraw(id);
    });
}

}  // namespace spacegauge
