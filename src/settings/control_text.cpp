#include "settings/control_text.h"

namespace spacegauge {

void SetControlText(HWND control, std::string_view text) {
    SetWindowTextA(control, std::string(text).c_str());
}

std::string GetControlText(HWND control) {
    std::string text(GetWindowTextLengthA(control) + 1, '\0');
    text.resize(GetWindowTextA(control, text.data(), static_cast<int>(text.size())));
    return text;
}

bool IsChecked(HWND checkBox) {
    return SendMessageW(checkBox, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool SetChecked(HWND checkBox, bool checked) {
    if (IsChecked(checkBox) == checked) return false;
    SendMessageW(checkBox, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    return true;
}

void SetListIndex(HWND comboBox, int index) {
    const int count = static_cast<int>(SendMessageW(comboBox, CB_GETCOUNT, 0, 0));
    SendMessageW(comboBox, CB_SETCURSEL, index >= 0 && index < count ? index : -1, 0);
}

int GetListIndex(HWND comboBox) {
    return static_cast<int>(SendMessageW(comboBox, CB_GETCURSEL, 0, 0));
}

}  // namespace spacegauge
