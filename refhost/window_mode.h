#pragma once
// Shows one docklet as a dock would on a desktop: a borderless layered window of the docklet's
// size whose per-pixel alpha lets the desktop show through, titled with the plug-in's caption,
// redrawn whenever the plug-in asks. A left click runs the click handler, a right click the
// configure handler.
#include <windows.h>

#include <string>

#include "host_harness.h"

namespace refhost {

// The window's class, for tests that look for it.
inline constexpr wchar_t kDockletWindowClass[] = L"SpacegaugeDockletWindow";

struct WindowModeOptions {
    DWORD milliseconds = 0;   // closes itself after this long; 0: when closed (Esc, Alt+F4)
    std::wstring screenshot;  // when set, the window as a desktop shows it is saved here at the end
};

struct WindowModeReport {
    bool shown = false;
    int images = 0;  // images the window received from the draw handler
    int clicks = 0, edits = 0;
    std::wstring title;  // the window's title when it closed
    bool screenshotSaved = false;
};

// Runs this thread's messages, redraw requests included, until the window closes. The
// instance must have been created; the plug-in must be initialised.
WindowModeReport RunWindowMode(ReferenceHost& host, InstanceId id,
                               const WindowModeOptions& options);

}  // namespace refhost
