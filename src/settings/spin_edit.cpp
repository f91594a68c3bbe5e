#include "settings/spin_edit.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "settings/control_text.h"
#include "settings/text_forms.h"
#include "settings/window_subclass.h"

namespace spacegauge {
namespace {

constexpr wchar_t kUpDownProperty[] = L"Spacegauge.SpinButtons";

struct Range {
    int minValue, maxValue;
};

HWND UpDownOf(HWND edit) {
    return static_cast<HWND>(GetPropW(edit, kUpDownProperty));
}

Range RangeOf(HWND upDown) {
    int low = 0, high = 0;
    SendMessageW(upDown, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                 reinterpret_cast<LPARAM>(&high));
    return {low, high};
}

int PairWidth(HWND edit, HWND upDown) {
    RECT editRect{}, upDownRect{};
    GetWindowRect(edit, &editRect);
    GetWindowRect(upDown, &upDownRect);
    return std::max(editRect.right, upDownRect.right) - editRect.left;
}

char DecimalSeparator() {
    char separator[4] = ".";
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof(separator));
    return separator[0];
}

bool IsAcceptedChar(char ch) {
    // Control characters are editing keys (backspace, clipboard shortcuts).
    return (ch >= '0' && ch <= '9') || ch == '+' || ch == '-' || ch == DecimalSeparator() ||
           static_cast<unsigned char>(ch) < ' ';
}

char AnsiChar(wchar_t ch) {
    char ansi = '?';
    WideCharToMultiByte(CP_ACP, 0, &ch, 1, &ansi, 1, nullptr, nullptr);
    return ansi;
}

void ShowValue(HWND edit, int value) {
    SetControlText(edit, DecimalText(value));
    SendMessageW(UpDownOf(edit), UDM_SETPOS32, 0, value);
}

LRESULT SpinEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, void*, WNDPROC next) {
    if (message == WM_CHAR && !IsAcceptedChar(AnsiChar(static_cast<wchar_t>(wParam)))) {
        MessageBeep(0);
        return 0;
    }
    const LRESULT result = CallWindowProcW(next, edit, message, wParam, lParam);
    if (message == WM_KILLFOCUS) {
        const std::string text = GetControlText(edit);
        const int value = GetSpinValue(edit);
        if (text != DecimalText(value)) ShowValue(edit, value);
    } else if (message == WM_NCDESTROY) {
        RemovePropW(edit, kUpDownProperty);
    }
    return result;
}

}  // namespace

void AttachSpinButtons(HWND edit, int minValue, int maxValue) {
    RECT rect{};
    GetWindowRect(edit, &rect);
    const int width = rect.right - rect.left;
    const HWND upDown = CreateWindowExW(
        0, UPDOWN_CLASSW, nullptr,
        WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT | UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS |
            UDS_HOTTRACK,
        0, 0, 0, 0, GetParent(edit), nullptr,
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(edit, GWLP_HINSTANCE)), nullptr);
    // Right behind its edit in the z-order, so the two paint and tab as one control.
    SetWindowPos(upDown, edit, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetPropW(edit, kUpDownProperty, upDown);
    SendMessageW(upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
    // The buttons may overlap the edit's border; the pair keeps the width the edit had.
    const int shortfall = width - PairWidth(edit, upDown);
    if (shortfall != 0) {
        GetWindowRect(edit, &rect);
        SetWindowPos(edit, nullptr, 0, 0, width + shortfall, rect.bottom - rect.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
    }
    SendMessageW(upDown, UDM_SETRANGE32, minValue, maxValue);
    SubclassWindow(edit, &SpinEditProc, nullptr);
    ShowValue(edit, minValue);
}

void SetSpinValue(HWND edit, int value) {
    const Range range = RangeOf(UpDownOf(edit));
    ShowValue(edit, std::clamp(value, range.minValue, range.maxValue));
}

int GetSpinValue(HWND edit) {
    const Range range = RangeOf(UpDownOf(edit));
    return SpinValueFromText(GetControlText(edit), range.minValue, range.maxValue);
}

int SpinValueFromText(std::string_view text, int minValue, int maxValue) {
    if (const auto value = ParseIntegerText(text)) return std::clamp(*value, minValue, maxValue);
    // Decimal digits beyond the 32-bit range are still a number beyond one end of the range.
    std::string_view digits = text.substr(std::min(text.find_first_not_of(' '), text.size()));
    const bool negative = digits.starts_with('-');
    if (digits.starts_with('-') || digits.starts_with('+')) digits.remove_prefix(1);
    const bool allDigits = !digits.empty() && std::all_of(digits.begin(), digits.end(), [](char c) {
        return c >= '0' && c <= '9';
    });
    if (!allDigits) return minValue;
    return negative ? minValue : maxValue;
}

}  // namespace spacegauge
