#pragma once
// Creates the form's windows from the component table, scaled to the DPI.
#include <windows.h>

#include <array>

#include "settings/form_layout.h"

namespace spacegauge {

struct DpiScale {
    int dpi = 96;
    int operator()(int pixelsAt96) const { return MulDiv(pixelsAt96, dpi, 96); }
};

// The system DPI, which the window manager scales a DPI-unaware host by anyway.
DpiScale SystemDpiScale();

using ComponentWindows = std::array<HWND, kComponentCount>;

// Every component that has a window, created under `form` with the font; within each parent in
// tab order, which makes the z-order the dialog manager's tab order. dlgIcon stays null.
ComponentWindows CreateComponents(HWND form, HFONT font, DpiScale scale);

}  // namespace spacegauge
