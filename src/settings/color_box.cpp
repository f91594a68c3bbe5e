#include "settings/color_box.h"

#include <commdlg.h>

#include <array>
#include <string>

#include "settings/dialog_handles.h"
#include "settings/list_entry_drawing.h"
#include "settings/text_forms.h"
#include "settings/visual_styles.h"

namespace spacegauge {
namespace {

constexpr int kCustomEntry = 0;
constexpr int kStandardColorCount = 16;

// The colour a value paints with: system colour codes through the current scheme.
COLORREF PaintColor(ColorValue value) {
    const auto bits = static_cast<std::uint32_t>(value);
    if ((bits & 0xFF000000u) == 0xFF000000u) return GetSysColor(bits & 0xFF);
    return bits & 0x00FFFFFFu;
}

ColorValue EntryValue(HWND comboBox, int index) {
    return static_cast<ColorValue>(SendMessageW(comboBox, CB_GETITEMDATA, index, 0));
}

void SetEntryValue(HWND comboBox, int index, ColorValue value) {
    SendMessageW(comboBox, CB_SETITEMDATA, index, static_cast<LPARAM>(value));
}

void AddEntry(HWND comboBox, std::string_view name, ColorValue value) {
    const auto index = SendMessageA(comboBox, CB_ADDSTRING, 0,
                                    reinterpret_cast<LPARAM>(std::string(name).c_str()));
    SetEntryValue(comboBox, static_cast<int>(index), value);
}

}  // namespace

void FillColorBox(HWND comboBox) {
    SendMessageW(comboBox, CB_RESETCONTENT, 0, 0);
    AddEntry(comboBox, "Custom...", static_cast<ColorValue>(0x00000000));
    for (int i = 0; i < kStandardColorCount; ++i) {
        AddEntry(comboBox, ColorNames()[i].name, ColorNames()[i].value);
    }
}

void SetColorBoxValue(HWND comboBox, ColorValue value) {
    int selected = -1;
    for (int i = kCustomEntry + 1; i <= kStandardColorCount && selected < 0; ++i) {
        if (EntryValue(comboBox, i) == value) selected = i;
    }
    if (selected < 0 && value != kNoColorSelected) {
        SetEntryValue(comboBox, kCustomEntry, value);
        selected = kCustomEntry;
    }
    SendMessageW(comboBox, CB_SETCURSEL, selected, 0);
    InvalidateRect(comboBox, nullptr, TRUE);
}

ColorValue GetColorBoxValue(HWND comboBox) {
    const auto index = static_cast<int>(SendMessageW(comboBox, CB_GETCURSEL, 0, 0));
    return index < 0 ? kNoColorSelected : EntryValue(comboBox, index);
}

bool IsCustomEntrySelected(HWND comboBox) {
    return SendMessageW(comboBox, CB_GETCURSEL, 0, 0) == kCustomEntry;
}

void DrawColorBoxItem(const DRAWITEMSTRUCT& item) {
    DrawListEntryBackground(item);
    if (item.itemID == static_cast<UINT>(-1)) return;
    const RECT& rect = item.rcItem;
    const int height = rect.bottom - rect.top;
    const RECT swatch{rect.left + 2, rect.top + 2, rect.left + 2 + (height - 4) * 3 / 2,
                      rect.bottom - 2};
    const ScopedBrush fill(CreateSolidBrush(PaintColor(EntryValue(item.hwndItem, item.itemID))));
    FillRect(item.hDC, &swatch, fill.get());
    FrameRect(item.hDC, &swatch, GetSysColorBrush(COLOR_WINDOWTEXT));
    DrawListEntryText(item, swatch.right + 4);
}

void PickCustomColor(HWND comboBox, HWND owner) {
    // The colour dialog's own row of custom colours, kept for the session.
    static std::array<COLORREF, 16> customColors = [] {
        std::array<COLORREF, 16> colors;
        colors.fill(RGB(255, 255, 255));
        return colors;
    }();
    CHOOSECOLORA request{};
    request.lStructSize = sizeof(request);
    request.hwndOwner = owner;
    request.rgbResult = PaintColor(EntryValue(comboBox, kCustomEntry));
    request.lpCustColors = customColors.data();
    request.Flags = CC_RGBINIT | CC_FULLOPEN;
    const ScopedActivation styles(VisualStylesContext());
    if (!ChooseColorA(&request)) return;
    SetEntryValue(comboBox, kCustomEntry, static_cast<ColorValue>(request.rgbResult));
    InvalidateRect(comboBox, nullptr, TRUE);
}

}  // namespace spacegauge
