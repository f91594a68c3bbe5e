#pragma once
// Window subclassing without comctl32's SetWindowSubclass, which older comctl32 versions do not
// export by name: the DLL must load on any system, manifest or not.
#include <windows.h>

namespace spacegauge {

// `next` is the procedure the window had before; the handler passes on what it does not
// handle with CallWindowProcW. WM_NCDESTROY comes last, the handler's chance to free `data`.
using SubclassHandler = LRESULT (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    void* data, WNDPROC next);

// One subclass per window; it stays until the window is destroyed.
void SubclassWindow(HWND window, SubclassHandler handler, void* data);

}  // namespace spacegauge
