#pragma once
// What owner-drawn drop-down lists share: the entry's background, text and focus frame.
#include <windows.h>

#include <string>

namespace spacegauge {

std::string ListEntryText(HWND comboBox, int index);

// Selection colours for a selected entry, window colours otherwise.
void DrawListEntryBackground(const DRAWITEMSTRUCT& item);

// The entry's text from `textLeft` to the right edge, then the focus frame when it has focus.
void DrawListEntryText(const DRAWITEMSTRUCT& item, int textLeft);

}  // namespace spacegauge
