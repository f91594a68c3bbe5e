#pragma once
// Spin box: an edit box with up-down buttons holding an integer within a range.
#include <windows.h>

#include <string_view>

namespace spacegauge {

// Adds the up-down buttons inside the edit's rectangle, sets the range and the typing filter.
void AttachSpinButtons(HWND edit, int minValue, int maxValue);

// Brought into the range.
void SetSpinValue(HWND edit, int value);

// Always within the range: out of range counts as the nearest bound, a text that is not an
// integer as the minimum.
int GetSpinValue(HWND edit);

// The rule of GetSpinValue on a text.
int SpinValueFromText(std::string_view text, int minValue, int maxValue);

}  // namespace spacegauge
