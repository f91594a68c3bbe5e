#include "settings/group_box.h"

#include "settings/window_subclass.h"

namespace spacegauge {
namespace {

bool IsForParent(UINT message) {
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_DRAWITEM:
        case WM_MEASUREITEM:
        case WM_COMPAREITEM:
        case WM_DELETEITEM:
        case WM_VSCROLL:
        case WM_HSCROLL:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC:
            return true;
        default:
            return false;
    }
}

LRESULT GroupBoxProc(HWND groupBox, UINT message, WPARAM wParam, LPARAM lParam, void*,
                     WNDPROC next) {
    if (IsForParent(message)) return SendMessageW(GetParent(groupBox), message, wParam, lParam);
    if (message == WM_ERASEBKGND) {
        const auto dc = reinterpret_cast<HDC>(wParam);
        const auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
            GetParent(groupBox), WM_CTLCOLORSTATIC, wParam, reinterpret_cast<LPARAM>(groupBox)));
        RECT rect{};
        GetClientRect(groupBox, &rect);
        FillRect(dc, &rect, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    return CallWindowProcW(next, groupBox, message, wParam, lParam);
}

}  // namespace

void AttachGroupBox(HWND groupBox) {
    SubclassWindow(groupBox, &GroupBoxProc, nullptr);
}

}  // namespace spacegauge
