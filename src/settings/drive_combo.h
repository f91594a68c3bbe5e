#pragma once
// Drive box: a drop-down list of the machine's drives, each with its shell icon and text, and
// a current drive letter that need not be in the list.
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "settings/dialog_handles.h"

namespace spacegauge {

struct DriveBox {
    HWND comboBox = nullptr;
    char current = 0;               // lower case
    std::vector<ScopedIcon> icons;  // one per entry, in list order
};

// "c: [system]" for a volume with its label, "n: \\server\share" for a network drive
// (`detail` is the share), "a:" for a removable drive; all lower case.
std::string DriveItemText(char letter, UINT driveType, std::string_view detail);

// Lists the drives the system reports now, leaving out those of unknown kind.
void FillDriveBox(DriveBox& box);

// Keeps the letter in lower case; the entry with that letter is selected when there is one,
// otherwise the list keeps its selection.
void SetDriveBoxLetter(DriveBox& box, char letter);
char GetDriveBoxLetter(const DriveBox& box);

// The user chose an entry: its letter becomes current.
void DriveBoxChosen(DriveBox& box);

void DrawDriveBoxItem(const DriveBox& box, const DRAWITEMSTRUCT& item);

}  // namespace spacegauge
