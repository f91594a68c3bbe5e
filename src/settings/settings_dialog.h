#pragma once
// The settings dialog: its window and controls, kept from one opening to the next, and the
// handlers that move values between them and the settings record.
#include <windows.h>

#include "settings/dialog_handles.h"
#include "settings/drive_combo.h"
#include "settings/form_builder.h"
#include "settings/form_layout.h"
#include "settings/open_picture_dialog.h"
#include "settings/settings_record.h"

namespace spacegauge {

class SettingsDialog {
  public:
    // Creates the window hidden; the record must outlive the dialog.
    explicit SettingsDialog(SettingsRecord& record);
    ~SettingsDialog();
    SettingsDialog(const SettingsDialog&) = delete;
    SettingsDialog& operator=(const SettingsDialog&) = delete;

    int ShowModal();
    void CopyControlsToRecord();

    void FormShow();
    void BtChangeClick();
    void BtClearClick();
    void CheckBoxOutlineClick();

    HWND Window() const { return window_.get(); }
    HWND Control(Component component) const { return controls_[static_cast<int>(component)]; }

  private:
    friend void LoadPreview(SettingsDialog& dialog);

    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(int id, int code, HWND control);
    void OnDrawItem(const DRAWITEMSTRUCT& item);
    INT_PTR OnControlColor(HDC dc, HWND control);
    void RunClickHandler(void (SettingsDialog::*handler)());
    void RunModalLoop();

    SettingsRecord& record_;
    DpiScale scale_;
    ScopedFont font_;
    DriveBox driveBox_;
    OpenPictureDialog dlgIcon_;
    ScopedWindow window_;  // after what its controls draw with, so it goes first
    ComponentWindows controls_{};
    int modalResult_ = 0;
    bool shownBefore_ = false;
};

// Shows in Image1 the picture that dlgIcon's current file name names, if that is an existing
// file; empties Image1 otherwise.
void LoadPreview(SettingsDialog& dialog);

}  // namespace spacegauge
