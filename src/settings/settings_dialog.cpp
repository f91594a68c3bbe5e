#include "settings/settings_dialog.h"

#include <commctrl.h>

#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "host/exception.h"
#include "settings/ansi_text.h"
#include "settings/color_box.h"
#include "settings/control_text.h"
#include "settings/picture_view.h"
#include "settings/spin_edit.h"
#include "settings/this_module.h"
#include "settings/visual_styles.h"

namespace spacegauge {
namespace {

using enum Component;

constexpr DWORD kWindowStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_CLIPCHILDREN;
// Posted, so the colour dialog opens after the list has closed.
constexpr UINT kPickCustomColor = WM_APP + 1;
constexpr int kModalResultCancel = 2;

// A dialog template without controls: the table builds them, in pixels.
std::vector<WORD> EmptyDialogTemplate() {
    DLGTEMPLATE header{};
    header.style = kWindowStyle;
    constexpr std::size_t kWords = sizeof(DLGTEMPLATE) / sizeof(WORD);
    std::vector<WORD> words(kWords + 3, 0);  // then no menu, the dialog class, no title
    std::memcpy(words.data(), &header, sizeof(header));
    return words;
}

// The platform's standard report of an error inside the dialog.
void ShowStandardError(HWND owner, const char* message) {
    MessageBoxA(owner, message, "Spacegauge", MB_OK | MB_ICONERROR);
}

std::string DefaultIconPathNow() {
    std::vector<char> path(MAX_PATH);
    DWORD length = 0;
    while ((length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()))) ==
           path.size()) {
        path.resize(path.size() * 2);
    }
    std::string folder(path.data(), length);
    folder.erase(folder.find_last_of('\\') + 1);
    return folder + "Docklets\\Spacegauge\\default.png";
}

void CentreOnScreen(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The calling thread's other visible, enabled top-level windows, disabled for one scope.
class ThreadWindowsDisabled {
  public:
    explicit ThreadWindowsDisabled(HWND except) : except_(except) {
        EnumThreadWindows(GetCurrentThreadId(), &Collect, reinterpret_cast<LPARAM>(this));
        for (const HWND window : disabled_) EnableWindow(window, FALSE);
    }
    ~ThreadWindowsDisabled() {
        for (const HWND window : disabled_) {
            if (IsWindow(window)) EnableWindow(window, TRUE);
        }
    }
    ThreadWindowsDisabled(const ThreadWindowsDisabled&) = delete;
    ThreadWindowsDisabled& operator=(const ThreadWindowsDisabled&) = delete;

  private:
    static BOOL CALLBACK Collect(HWND window, LPARAM self) {
        auto* disabler = reinterpret_cast<ThreadWindowsDisabled*>(self);
        if (window != disabler->except_ && IsWindowVisible(window) && IsWindowEnabled(window)) {
            disabler->disabled_.push_back(window);
        }
        return TRUE;
    }

    HWND except_;
    std::vector<HWND> disabled_;
};

}  // namespace

SettingsDialog::SettingsDialog(SettingsRecord& record) : record_(record), scale_(SystemDpiScale()) {
    const FormDescription& form = Form();
    dlgIcon_.filter = Row(dlgIcon).text;
    font_.reset(CreateFontW(-scale_(form.fontHeight), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                            DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                            DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, form.fontName));

    const ScopedActivation styles(VisualStylesContext());
    const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX),
                                       ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&classes);
    const std::vector<WORD> dialogTemplate = EmptyDialogTemplate();
    window_.reset(CreateDialogIndirectParamW(
        ThisModule(), reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.data()), nullptr,
        &DialogProc, reinterpret_cast<LPARAM>(this)));
    if (!window_) throw Exception("Cannot create the settings window");
    const HWND window = window_.get();
    SetWindowTextA(window, form.caption);
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    RECT frame{0, 0, scale_(form.clientWidth), scale_(form.clientHeight)};
    AdjustWindowRectEx(&frame, GetWindowLongW(window, GWL_STYLE), FALSE,
                       GetWindowLongW(window, GWL_EXSTYLE));
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    controls_ = CreateComponents(window, font_.get(), scale_);
    driveBox_.comboBox = Control(DriveComboBox1);
    SendMessageW(window, DM_SETDEFID, ControlId(Button2), 0);
}

SettingsDialog::~SettingsDialog() {
    // The window's last messages must not reach a half-destroyed object.
    SetWindowLongPtrW(window_.get(), DWLP_USER, 0);
}

INT_PTR CALLBACK SettingsDialog::DialogProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        return FALSE;  // no controls yet to take the focus
    }
    auto* dialog = reinterpret_cast<SettingsDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    return dialog ? dialog->HandleMessage(message, wParam, lParam) : FALSE;
}

INT_PTR SettingsDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return TRUE;
        case WM_DRAWITEM:
            OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_CLOSE:
            modalResult_ = kModalResultCancel;
            return TRUE;
        case WM_CTLCOLORSTATIC:
            return OnControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case kPickCustomColor:
            PickCustomColor(reinterpret_cast<HWND>(lParam), window_.get());
            return TRUE;
        default:
            return FALSE;
    }
}

void SettingsDialog::OnCommand(int id, int code, HWND control) {
    const auto component = ComponentWithId(id);
    if (!component) return;
    const ComponentRow& row = Row(*component);
    if (row.modalResult != 0 && code == BN_CLICKED) {
        modalResult_ = row.modalResult;
        return;
    }
    switch (*component) {
        case BtChange:
            if (code == BN_CLICKED) RunClickHandler(&SettingsDialog::BtChangeClick);
            break;
        case BtClear:
            if (code == BN_CLICKED) RunClickHandler(&SettingsDialog::BtClearClick);
            break;
        case CheckBoxOutline:
            if (code == BN_CLICKED) RunClickHandler(&SettingsDialog::CheckBoxOutlineClick);
            break;
        case DriveComboBox1:
            if (code == CBN_SELCHANGE) DriveBoxChosen(driveBox_);
            break;
        case ColorBox1:
        case ColorBoxOutline:
            if (code == CBN_SELENDOK && IsCustomEntrySelected(control)) {
                PostMessageW(window_.get(), kPickCustomColor, 0, reinterpret_cast<LPARAM>(control));
            }
            break;
        default:
            break;
    }
}

void SettingsDialog::OnDrawItem(const DRAWITEMSTRUCT& item) {
    if (item.hwndItem == Control(DriveComboBox1)) {
        DrawDriveBoxItem(driveBox_, item);
    } else if (item.hwndItem == Control(ColorBox1) || item.hwndItem == Control(ColorBoxOutline)) {
        DrawColorBoxItem(item);
    }
}

INT_PTR SettingsDialog::OnControlColor(HDC dc, HWND control) {
    // The help text is read-only but still a text to read: window colours, not the face's.
    if (control != Control(Memo1)) return FALSE;
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
}

void SettingsDialog::RunClickHandler(void (SettingsDialog::*handler)()) {
    try {
        (this->*handler)();
    } catch (const std::exception& error) {
        ShowStandardError(window_.get(), error.what());
    }
}

int SettingsDialog::ShowModal() {
    const HWND window = window_.get();
    if (IsWindowVisible(window)) throw Exception("Cannot make a visible window modal");
    const HWND previouslyActive = GetActiveWindow();
    modalResult_ = 0;
    {
        const ThreadWindowsDisabled others(window);
        try {
            FormShow();
        } catch (const std::exception& error) {
            ShowStandardError(nullptr, error.what());
        }
        if (!shownBefore_) CentreOnScreen(window);
        shownBefore_ = true;
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
        SendMessageW(window, WM_NEXTDLGCTL,
                     reinterpret_cast<WPARAM>(GetNextDlgTabItem(window, nullptr, FALSE)), TRUE);
        RunModalLoop();
    }
    // Enabled again before hiding, so the activation can go back where it came from.
    ShowWindow(window, SW_HIDE);
    if (previouslyActive && IsWindow(previouslyActive)) SetActiveWindow(previouslyActive);
    return modalResult_;
}

void SettingsDialog::RunModalLoop() {
    const HWND window = window_.get();
    MSG message{};
    while (modalResult_ == 0) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            // Leave the quit request for the loop that owns the thread.
            PostQuitMessage(static_cast<int>(message.wParam));
            modalResult_ = kModalResultCancel;
        } else if (got == -1 || !IsWindow(window)) {
            modalResult_ = kModalResultCancel;
        } else if (!IsDialogMessageW(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

void SettingsDialog::FormShow() {
    dlgIcon_.fileName = AnsiText(record_.IconSource);
    SetColorBoxValue(Control(ColorBox1), record_.LabelColor);
    SetControlText(Control(EditLabel), record_.LabelText);
    SetSpinValue(Control(SpinEditLabelSize), record_.LabelSize);
    FillDriveBox(driveBox_);  // drives come and go between openings
    SetDriveBoxLetter(driveBox_, record_.Drive);
    SetControlText(Control(EditCommand), record_.Command);
    SetSpinValue(Control(SpinEditUpdate), record_.Update);
    SetSpinValue(Control(SpinEditOutline), record_.OutlineWidth);
    SetColorBoxValue(Control(ColorBoxOutline), record_.OutlineColor);
    if (SetChecked(Control(CheckBoxOutline), record_.DrawOutline)) CheckBoxOutlineClick();
    ShowWindow(Control(GroupBox4), IsChecked(Control(CheckBoxOutline)) ? SW_SHOW : SW_HIDE);
    SetListIndex(Control(ComboBoxH), record_.HorizontalPos);
    SetListIndex(Control(ComboBoxV), record_.VerticalPos);
    SetControlText(Control(EditCaption), record_.DockletCaption);
    LoadPreview(*this);
}

void SettingsDialog::CopyControlsToRecord() {
    record_.IconSource = WideText(dlgIcon_.fileName);
    record_.LabelSize = GetSpinValue(Control(SpinEditLabelSize));
    record_.LabelColor = GetColorBoxValue(Control(ColorBox1));
    record_.LabelText = GetControlText(Control(EditLabel));
    record_.Drive = GetDriveBoxLetter(driveBox_);
    record_.Command = GetControlText(Control(EditCommand));
    record_.Update = GetSpinValue(Control(SpinEditUpdate));
    record_.DrawOutline = IsChecked(Control(CheckBoxOutline));
    record_.OutlineWidth = GetSpinValue(Control(SpinEditOutline));
    record_.OutlineColor = GetColorBoxValue(Control(ColorBoxOutline));
    record_.HorizontalPos = GetListIndex(Control(ComboBoxH));
    record_.VerticalPos = GetListIndex(Control(ComboBoxV));
    record_.DockletCaption = GetControlText(Control(EditCaption));
}

void SettingsDialog::BtChangeClick() {
    if (!ExecuteOpenPictureDialog(dlgIcon_, window_.get())) return;
    record_.IconSource = WideText(dlgIcon_.fileName);
    LoadPreview(*this);
}

void SettingsDialog::BtClearClick() {
    const std::string path = DefaultIconPathNow();
    record_.IconSource = WideText(path);
    dlgIcon_.fileName = path;
    LoadPreview(*this);
}

void SettingsDialog::CheckBoxOutlineClick() {
    ShowWindow(Control(GroupBox4), IsChecked(Control(CheckBoxOutline)) ? SW_SHOW : SW_HIDE);
}

void LoadPreview(SettingsDialog& dialog) {
    const HWND image = dialog.Control(Image1);
    ClearPicture(image);
    const std::string& fileName = dialog.dlgIcon_.fileName;
    const DWORD attributes = GetFileAttributesA(fileName.c_str());
    if (!fileName.empty() && attributes != INVALID_FILE_ATTRIBUTES &&
        !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        LoadPicture(image, WideText(fileName));
    }
}

}  // namespace spacegauge
