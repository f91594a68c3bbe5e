#pragma once
// Values of the plain controls: 8-bit text of edit boxes, check boxes, list indexes.
#include <windows.h>

#include <string>
#include <string_view>

namespace spacegauge {

// Through the ANSI window functions: the settings' texts are 8-bit.
void SetControlText(HWND control, std::string_view text);
std::string GetControlText(HWND control);

bool IsChecked(HWND checkBox);
// True when the state changed.
bool SetChecked(HWND checkBox, bool checked);

// An index outside the list leaves it without selection; -1 when nothing is selected.
void SetListIndex(HWND comboBox, int index);
int GetListIndex(HWND comboBox);

}  // namespace spacegauge
