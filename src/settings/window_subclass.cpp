#include "settings/window_subclass.h"

namespace spacegauge {
namespace {

constexpr wchar_t kProperty[] = L"Spacegauge.Subclass";

struct Subclass {
    SubclassHandler handler;
    void* data;
    WNDPROC next;
};

LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* subclass = static_cast<Subclass*>(GetPropW(window, kProperty));
    const Subclass current = *subclass;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(current.next));
        RemovePropW(window, kProperty);
        delete subclass;
    }
    return current.handler(window, message, wParam, lParam, current.data, current.next);
}

}  // namespace

void SubclassWindow(HWND window, SubclassHandler handler, void* data) {
    auto* subclass = new Subclass{handler, data, nullptr};
    SetPropW(window, kProperty, subclass);
    subclass->next = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc)));
}

}  // namespace spacegauge
