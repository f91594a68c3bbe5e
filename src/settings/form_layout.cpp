#include "settings/form_layout.h"

namespace spacegauge {
namespace {

using enum ComponentKind;
using enum Component;

constexpr FormDescription kFormDescription{
    .caption = "Spacegauge Settings",
    .clientWidth = 387,
    .clientHeight = 471,
    .fontName = L"Tahoma",
    .fontHeight = 11,
    .listItemHeight = 16,
    .dropDownCount = 8,
};

constexpr char kPlaceholderHelp[] =
    "Placeholder for Values:\r\n"
    "$rp = remaining percent\r\n"
    "$rgb = remaing gigabyte\r\n"
    "$up = used percent\r\n"
    "$ugb = used gigabyte\r\n"
    "$tgb = total gigabyte\r\n"
    "$lb = Line break\r\n"
    "add a dot (.) for one digit \r\n"
    "after comma:\r\n"
    "$rp = 23, $rp. = 23.3";

// clang-format off
constexpr std::array<ComponentRow, kComponentCount> kComponents{{
    // name, kind, parent, {left, top, width, height}, tab, text, min, max, modal result, flags
    {"BtChange", Button, kForm, {10, 160, 145, 25}, 2, "Change"},
    {"BtClear", Button, kForm, {10, 192, 145, 25}, 3, "Clear"},
    {"Image1", PictureView, kForm, {10, 10, 145, 145}, kNoTabStop, ""},
    {"Button2", Button, kForm, {223, 438, 75, 25}, 0, "OK", 0, 0, 1, kDefaultButton},
    {"Button3", Button, kForm, {302, 438, 75, 25}, 1, "Cancel", 0, 0, 2},
    {"dlgIcon", OpenPictureDialog, kForm, {}, kNoTabStop, "PNG-Images\n*.png"},
    {"GroupBox1", GroupBox, kForm, {176, 8, 201, 49}, 4, "Drive   "},
    {"GroupBox2", GroupBox, kForm, {176, 64, 201, 257}, 5, "Label   "},
    {"EditLabel", EditBox, GroupBox2, {40, 66, 153, 21}, 0, ""},
    {"Label1", Text, GroupBox2, {7, 67, 26, 13}, kNoTabStop, "Text:"},
    {"Label2", Text, GroupBox2, {8, 21, 23, 13}, kNoTabStop, "Size:"},
    {"SpinEditLabelSize", SpinBox, GroupBox2, {40, 18, 57, 22}, 1, "", 10, 100},
    {"Label3", Text, GroupBox2, {8, 44, 29, 13}, kNoTabStop, "Color:"},
    {"DriveComboBox1", DriveBox, GroupBox1, {8, 19, 185, 19}, 0, ""},
    {"ColorBox1", ColorBox, GroupBox2, {40, 42, 153, 22}, 2, ""},
    {"Memo1", TextArea, GroupBox2, {40, 89, 153, 87}, 3, kPlaceholderHelp},
    {"GroupBox3", GroupBox, kForm, {8, 328, 369, 104}, 6, "Docklet    "},
    {"Label4", Text, GroupBox3, {8, 48, 60, 13}, kNoTabStop, "Run on click:"},
    {"EditCommand", EditBox, GroupBox3, {72, 46, 281, 21}, 0, ""},
    {"Label5", Text, GroupBox3, {8, 23, 123, 13}, kNoTabStop, "Refresh every (seconds):"},
    {"SpinEditUpdate", SpinBox, GroupBox3, {136, 21, 73, 22}, 1, "", 1, 3600},
    {"Label6", Text, GroupBox3, {218, 25, 134, 13}, kNoTabStop, "(lower = higher CPU Usage)"},
    {"Label7", Text, GroupBox2, {101, 22, 88, 13}, kNoTabStop, "(% of icon-height)"},
    {"GroupBox4", GroupBox, kForm, {8, 248, 161, 73}, 7, "Label outline     "},
    {"ColorBoxOutline", ColorBox, GroupBox4, {40, 43, 113, 22}, 0, ""},
    {"SpinEditOutline", SpinBox, GroupBox4, {40, 18, 57, 22}, 1, "", 1, 50},
    {"Label8", Text, GroupBox4, {6, 46, 29, 13}, kNoTabStop, "Color:"},
    {"Label9", Text, GroupBox4, {6, 21, 32, 13}, kNoTabStop, "Width:"},
    {"CheckBoxOutline", CheckBox, GroupBox2, {8, 228, 121, 17}, 4, "Draw label outline"},
    {"Label10", Text, GroupBox2, {8, 181, 79, 13}, kNoTabStop, "Vertical position:"},
    {"ComboBoxV", DropDownList, GroupBox2, {104, 178, 90, 21}, 5, "Top\nMiddle\nBottom",
     0, 0, 0, kAutoDropDown},
    {"Label11", Text, GroupBox2, {8, 205, 92, 13}, kNoTabStop, "Horizontal position:"},
    {"ComboBoxH", DropDownList, GroupBox2, {104, 202, 90, 21}, 6, "Left\nCenter\nRight"},
    {"Label12", Text, GroupBox3, {8, 72, 44, 13}, kNoTabStop, "Caption: "},
    {"EditCaption", EditBox, GroupBox3, {72, 70, 281, 21}, 2, ""},
}};
// clang-format on

// Rows are indexed by Component; containers are group boxes.
constexpr bool TableIsConsistent() {
    for (const ComponentRow& row : kComponents) {
        if (row.parent != kForm && kComponents[static_cast<int>(row.parent)].kind != GroupBox) {
            return false;
        }
    }
    return kComponents[static_cast<int>(EditCaption)].name == "EditCaption" &&
           kComponents[static_cast<int>(GroupBox4)].name == "GroupBox4";
}
static_assert(TableIsConsistent());

constexpr int kFirstControlId = 100;

}  // namespace

const FormDescription& Form() {
    return kFormDescription;
}

const std::array<ComponentRow, kComponentCount>& Components() {
    return kComponents;
}

const ComponentRow& Row(Component component) {
    return kComponents[static_cast<int>(component)];
}

std::optional<Component> FindComponent(std::string_view name) {
    for (int i = 0; i < kComponentCount; ++i) {
        if (kComponents[i].name == name) return static_cast<Component>(i);
    }
    return std::nullopt;
}

int ControlId(Component component) {
    const ComponentRow& row = Row(component);
    return row.modalResult != 0 ? row.modalResult : kFirstControlId + static_cast<int>(component);
}

std::optional<Component> ComponentWithId(int id) {
    for (int i = 0; i < kComponentCount; ++i) {
        if (ControlId(static_cast<Component>(i)) == id) return static_cast<Component>(i);
    }
    return std::nullopt;
}

}  // namespace spacegauge
