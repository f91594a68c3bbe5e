#include "settings/settings_store.h"

#include "host/error_box.h"
#include "host/host_services.h"
#include "host/plugin_state.h"
#include "host/text_convert.h"
#include "label/clock_thread.h"
#include "settings/form_settings.h"
#include "settings/ini_file.h"
#include "settings/text_forms.h"

namespace spacegauge {
namespace {

TIniFile& Ini() {
    if (!IniFile) throw Exception("The settings file is not open.");
    return *IniFile;
}

SettingsRecord& Record() {
    if (!FormSettings) throw Exception("The settings are not loaded.");
    return FormSettings->record;
}

// Each field is set as soon as its key is read, so a bad value leaves the earlier fields
// updated and the later ones as they were.
void ReadRecord(InstanceId id, TIniFile& ini, SettingsRecord& r) {
    r.IconSource =
        AnsiToWide(ini.ReadString(SectionName(id), "Iconsource", DefaultIconPath), CP_THREAD_ACP);
    r.LabelColor = ColorFromText(ini.ReadString(SectionName(id), "LabelColor", "$ffffff"));
    r.LabelSize = StrictIntegerFromText(ini.ReadString(SectionName(id), "LabelSize", "24"));
    r.LabelText = ini.ReadString(SectionName(id), "LabelText", "C: $up%");
    const std::string drive = ini.ReadString(SectionName(id), "Drive", "c");
    if (drive.empty()) throw Exception("'' is not a valid drive letter");
    r.Drive = drive[0];
    r.Command =
        CommandFromIniText(ini.ReadString(SectionName(id), "Command", "!!explorer.exe!! /e, C:"));
    r.Update = StrictIntegerFromText(ini.ReadString(SectionName(id), "Update", "60"));
    r.DrawOutline = ini.ReadBool(SectionName(id), "DrawOutline", true);
    r.OutlineWidth = ini.ReadInteger(SectionName(id), "OutlineWidth", 1);
    r.OutlineColor = ColorFromText(ini.ReadString(SectionName(id), "OutlineColor", "$00A6671A"));
    r.HorizontalPos = ini.ReadInteger(SectionName(id), "HorizontalPos", 1);
    r.VerticalPos = ini.ReadInteger(SectionName(id), "VerticalPos", 2);
    r.DockletCaption = ini.ReadString(SectionName(id), "DockletCaption",
                                      "Drive: C -  Free: $rgb.gb - Total: $tgb.gb");
}

void WriteRecord(InstanceId id, TIniFile& ini, const SettingsRecord& r) {
    ini.WriteString(SectionName(id), "IconSource", WideToAnsi(r.IconSource, CP_THREAD_ACP));
    ini.WriteString(SectionName(id), "LabelSize", DecimalText(r.LabelSize));
    ini.WriteString(SectionName(id), "LabelColor", ColorToText(r.LabelColor));
    ini.WriteString(SectionName(id), "LabelText", r.LabelText);
    ini.WriteString(SectionName(id), "Drive", std::string(1, r.Drive));
    ini.WriteString(SectionName(id), "Command", CommandToIniText(r.Command));
    ini.WriteString(SectionName(id), "Update", DecimalText(r.Update));
    ini.WriteBool(SectionName(id), "DrawOutline", r.DrawOutline);
    ini.WriteInteger(SectionName(id), "OutlineWidth", r.OutlineWidth);
    ini.WriteString(SectionName(id), "OutlineColor", ColorToText(r.OutlineColor));
    ini.WriteInteger(SectionName(id), "HorizontalPos", r.HorizontalPos);
    ini.WriteInteger(SectionName(id), "VerticalPos", r.VerticalPos);
    ini.WriteString(SectionName(id), "DockletCaption", r.DockletCaption);
}

}  // namespace

std::string SectionName(InstanceId id) {
    return "Spacegauge" + std::to_string(HostGetInstanceIndex(id));
}

void Q_ReadSettings(InstanceId id) {
    RunGuarded("TilvaneSrc.Q_ReadSettings", [&] { ReadRecord(id, Ini(), Record()); });
    // The instance's refresh schedule works on its own copy, taken at every read.
    RunGuarded("TilvaneSrc.Q_ReadSettings", [&] {
        if (FormSettings) PublishLabelSource(id, FormSettings->record);
    });
}

void Q_WriteSettings(InstanceId id) {
    RunGuarded("TilvaneSrc.Q_WriteSettings", [&] { WriteRecord(id, Ini(), Record()); });
}

}  // namespace spacegauge
