#pragma once
// The settings form as data: the window and one row per component, in declaration order.
// Rectangles are at 96 DPI; the builder scales them.
#include <array>
#include <optional>
#include <string_view>

namespace spacegauge {

enum class ComponentKind {
    PictureView,
    Button,
    GroupBox,
    DriveBox,
    Text,
    SpinBox,
    ColorBox,
    EditBox,
    TextArea,
    DropDownList,
    CheckBox,
    OpenPictureDialog,  // no window of its own
};

enum class Component {
    BtChange,
    BtClear,
    Image1,
    Button2,
    Button3,
    dlgIcon,
    GroupBox1,
    GroupBox2,
    EditLabel,
    Label1,
    Label2,
    SpinEditLabelSize,
    Label3,
    DriveComboBox1,
    ColorBox1,
    Memo1,
    GroupBox3,
    Label4,
    EditCommand,
    Label5,
    SpinEditUpdate,
    Label6,
    Label7,
    GroupBox4,
    ColorBoxOutline,
    SpinEditOutline,
    Label8,
    Label9,
    CheckBoxOutline,
    Label10,
    ComboBoxV,
    Label11,
    ComboBoxH,
    Label12,
    EditCaption,
    Count,
};

constexpr int kComponentCount = static_cast<int>(Component::Count);
// Parent of the components that sit directly on the window.
constexpr Component kForm = Component::Count;
constexpr int kNoTabStop = -1;

struct Rect96 {
    int left, top, width, height;
};

enum ComponentFlag : unsigned {
    kDefaultButton = 1u << 0,
    kAutoDropDown = 1u << 1,  // the list opens as soon as the user types
};

struct ComponentRow {
    std::string_view name;
    ComponentKind kind;
    Component parent;
    Rect96 rect;
    int tab;  // within the parent; kNoTabStop when the component takes no focus
    // Caption or content; list entries are separated by '\n', text-area lines by CR LF.
    const char* text;
    int minValue = 0;  // spin boxes
    int maxValue = 0;
    int modalResult = 0;  // buttons that close the window
    unsigned flags = 0;
};

struct FormDescription {
    const char* caption;
    int clientWidth, clientHeight;
    const wchar_t* fontName;
    int fontHeight;      // pixels at 96 DPI
    int listItemHeight;  // owner-drawn lists, pixels at 96 DPI
    int dropDownCount;   // entries visible in an open list
};

const FormDescription& Form();
const std::array<ComponentRow, kComponentCount>& Components();
const ComponentRow& Row(Component component);
std::optional<Component> FindComponent(std::string_view name);

// Buttons with a modal result use it as their id, so OK and Cancel are IDOK and IDCANCEL and
// the dialog manager maps Enter and Escape to them.
int ControlId(Component component);
std::optional<Component> ComponentWithId(int id);

}  // namespace spacegauge
