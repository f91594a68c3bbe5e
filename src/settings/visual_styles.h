#pragma once
// Version 6 of the common controls for the dialog's windows and the system dialogs it opens.
// A plug-in cannot rely on the host's manifest, so it activates its own around the calls that
// create windows.
#include <windows.h>

namespace spacegauge {

// The context made from the manifest resource; null when the resource is missing, and the
// dialog then falls back to the classic controls.
HANDLE VisualStylesContext();

}  // namespace spacegauge
