#include "settings/form_settings.h"

#include "settings/settings_dialog.h"

namespace spacegauge {

std::unique_ptr<TFormSettings> FormSettings;

TFormSettings::TFormSettings() : dialog_(std::make_unique<SettingsDialog>(record)) {}

TFormSettings::~TFormSettings() = default;

int TFormSettings::ShowModal() {
    return dialog_->ShowModal();
}

void TFormSettings::CopyControlsToRecord() {
    dialog_->CopyControlsToRecord();
}

}  // namespace spacegauge
