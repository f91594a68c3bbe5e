#pragma once
// Group boxes that hold their controls as real children, so hiding a box hides its contents
// and the dialog manager tabs through them in place.
#include <windows.h>

namespace spacegauge {

// Passes the children's notifications, owner-draw and colour requests on to the box's parent:
// a BUTTON control would swallow them. Also paints the box's interior, which a BUTTON leaves
// to its parent.
void AttachGroupBox(HWND groupBox);

}  // namespace spacegauge
