#include "settings/list_entry_drawing.h"

namespace spacegauge {

std::string ListEntryText(HWND comboBox, int index) {
    std::string text(SendMessageA(comboBox, CB_GETLBTEXTLEN, index, 0) + 1, '\0');
    const auto length =
        SendMessageA(comboBox, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(length > 0 ? length : 0);
    return text;
}

void DrawListEntryBackground(const DRAWITEMSTRUCT& item) {
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
}

void DrawListEntryText(const DRAWITEMSTRUCT& item, int textLeft) {
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const std::string text = ListEntryText(item.hwndItem, static_cast<int>(item.itemID));
    RECT textRect{textLeft, item.rcItem.top, item.rcItem.right - 2, item.rcItem.bottom};
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    DrawTextA(item.hDC, text.c_str(), static_cast<int>(text.size()), &textRect,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
        DrawFocusRect(item.hDC, &item.rcItem);
    }
}

}  // namespace spacegauge
