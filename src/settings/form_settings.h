#pragma once
// The settings form object: the settings dialog, and the home of the plug-in's one settings
// record. Lives from Q_Initialization to Q_Finalization, hidden between configures.
#include <memory>

#include "settings/settings_record.h"

namespace spacegauge {

class SettingsDialog;

class TFormSettings {
  public:
    TFormSettings();
    ~TFormSettings();
    TFormSettings(const TFormSettings&) = delete;
    TFormSettings& operator=(const TFormSettings&) = delete;

    // Fills the controls from the record (FormShow), runs the modal loop with the calling
    // thread's other windows disabled, and returns 1 for OK, 2 for Cancel or close. Throws
    // Exception("Cannot make a visible window modal") when the dialog is already showing.
    int ShowModal();

    // The OK step: every control into the record, in the writer's field order.
    void CopyControlsToRecord();

    SettingsRecord record;

  private:
    std::unique_ptr<SettingsDialog> dialog_;
};

// Created by Q_Initialization, freed by Q_Finalization; used on the host's thread only.
extern std::unique_ptr<TFormSettings> FormSettings;

}  // namespace spacegauge
