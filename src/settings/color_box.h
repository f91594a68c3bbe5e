#pragma once
// Colour box: an owner-drawn drop-down list of "Custom..." (one freely chosen colour) and the
// sixteen standard colours, each shown as a swatch and its name.
#include <windows.h>

#include "settings/settings_record.h"

namespace spacegauge {

// The value that stands for "no selection".
constexpr ColorValue kNoColorSelected = static_cast<ColorValue>(0xFF000000);

void FillColorBox(HWND comboBox);

// A standard colour selects its entry, kNoColorSelected clears the selection, any other value
// becomes the custom entry's colour and selects it.
void SetColorBoxValue(HWND comboBox, ColorValue value);
ColorValue GetColorBoxValue(HWND comboBox);

void DrawColorBoxItem(const DRAWITEMSTRUCT& item);

// True when the user's choice was the custom entry, which then wants a colour picked.
bool IsCustomEntrySelected(HWND comboBox);

// The system's colour dialog, preset with the custom colour; OK makes the pick the custom
// colour, Cancel keeps it.
void PickCustomColor(HWND comboBox, HWND owner);

}  // namespace spacegauge
