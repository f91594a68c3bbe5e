#include "settings/drive_combo.h"

#include <shellapi.h>
#include <winnetwk.h>

#include <algorithm>

#include "settings/list_entry_drawing.h"

namespace spacegauge {
namespace {

char LowerCase(char letter) {
    CharLowerBuffA(&letter, 1);
    return letter;
}

std::string VolumeLabel(const char* root) {
    char label[MAX_PATH + 1] = "";
    // An empty drive must fail quietly rather than ask for a disk. SetErrorMode rather than
    // the thread's own mode: that one is missing before Windows 7.
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    const BOOL known =
        GetVolumeInformationA(root, label, sizeof(label), nullptr, nullptr, nullptr, nullptr, 0);
    SetErrorMode(previousMode);
    return known ? label : "";
}

std::string ShareName(const char* device) {
    char share[MAX_PATH + 1] = "";
    DWORD size = sizeof(share);
    return WNetGetConnectionA(device, share, &size) == NO_ERROR ? share : "";
}

std::string DriveDetail(char letter, UINT driveType) {
    const char root[] = {letter, ':', '\\', '\0'};
    const char device[] = {letter, ':', '\0'};
    if (driveType == DRIVE_REMOVABLE) return "";
    if (driveType == DRIVE_REMOTE) return ShareName(device);
    return VolumeLabel(root);
}

char EntryLetter(HWND comboBox, int index) {
    return static_cast<char>(SendMessageW(comboBox, CB_GETITEMDATA, index, 0));
}

void SelectCurrent(const DriveBox& box) {
    const auto count = static_cast<int>(SendMessageW(box.comboBox, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        if (EntryLetter(box.comboBox, i) == box.current) {
            SendMessageW(box.comboBox, CB_SETCURSEL, i, 0);
            return;
        }
    }
}

}  // namespace

std::string DriveItemText(char letter, UINT driveType, std::string_view detail) {
    std::string text{letter, ':'};
    if (driveType == DRIVE_REMOTE && !detail.empty()) {
        text += ' ';
        text += detail;
    } else if (driveType != DRIVE_REMOVABLE && driveType != DRIVE_REMOTE) {
        text += " [";
        text += detail;
        text += ']';
    }
    CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

void FillDriveBox(DriveBox& box) {
    SendMessageW(box.comboBox, CB_RESETCONTENT, 0, 0);
    box.icons.clear();
    const DWORD drives = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(drives & (1u << i))) continue;
        const char letter = static_cast<char>('a' + i);
        const char root[] = {letter, ':', '\\', '\0'};
        const UINT driveType = GetDriveTypeA(root);
        if (driveType == DRIVE_UNKNOWN || driveType == DRIVE_NO_ROOT_DIR) continue;
        const std::string text = DriveItemText(letter, driveType, DriveDetail(letter, driveType));
        const auto index =
            SendMessageA(box.comboBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageW(box.comboBox, CB_SETITEMDATA, index, letter);
        SHFILEINFOA info{};
        SHGetFileInfoA(root, 0, &info, sizeof(info), SHGFI_ICON | SHGFI_SMALLICON);
        box.icons.emplace_back(info.hIcon);
    }
    SelectCurrent(box);
}

void SetDriveBoxLetter(DriveBox& box, char letter) {
    box.current = LowerCase(letter);
    SelectCurrent(box);
}

char GetDriveBoxLetter(const DriveBox& box) {
    return box.current;
}

void DriveBoxChosen(DriveBox& box) {
    const auto index = static_cast<int>(SendMessageW(box.comboBox, CB_GETCURSEL, 0, 0));
    if (index >= 0) box.current = EntryLetter(box.comboBox, index);
}

void DrawDriveBoxItem(const DriveBox& box, const DRAWITEMSTRUCT& item) {
    DrawListEntryBackground(item);
    const auto index = static_cast<int>(item.itemID);
    if (index < 0) return;
    const RECT& rect = item.rcItem;
    const int height = rect.bottom - rect.top;
    // The closed box is shorter than an icon: shrink the icon rather than crop it.
    const int iconSize = std::min(GetSystemMetrics(SM_CXSMICON), height - 2);
    if (index < static_cast<int>(box.icons.size()) && box.icons[index]) {
        DrawIconEx(item.hDC, rect.left + 2, rect.top + (height - iconSize) / 2,
                   box.icons[index].get(), iconSize, iconSize, 0, nullptr, DI_NORMAL);
    }
    DrawListEntryText(item, rect.left + 2 + iconSize + 4);
}

}  // namespace spacegauge
