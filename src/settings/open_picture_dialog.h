#pragma once
// The open-picture dialog: the system's file-open dialog with a filter, holding the current
// file name between uses.
#include <windows.h>

#include <string>

namespace spacegauge {

struct OpenPictureDialog {
    std::string filter;    // pairs of name and pattern, separated by '\n'
    std::string fileName;  // 8-bit, full path
};

// Starts at the current file name and accepts names of files that do not exist. True when the
// user picked a file: its full path is then the current file name. Cancel keeps the old one.
bool ExecuteOpenPictureDialog(OpenPictureDialog& dialog, HWND owner);

}  // namespace spacegauge
