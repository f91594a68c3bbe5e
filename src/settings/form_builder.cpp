#include "settings/form_builder.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "settings/color_box.h"
#include "settings/control_text.h"
#include "settings/dialog_handles.h"
#include "settings/group_box.h"
#include "settings/picture_view.h"
#include "settings/spin_edit.h"
#include "settings/window_subclass.h"

namespace spacegauge {
namespace {

struct KindWindow {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

KindWindow WindowOf(ComponentKind kind) {
    constexpr DWORD kList = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
    constexpr DWORD kOwnerDrawnList = kList | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;
    switch (kind) {
        case ComponentKind::PictureView:
            return {L"Static", SS_LEFT, 0};
        case ComponentKind::Button:
            return {L"Button", BS_PUSHBUTTON | WS_TABSTOP, 0};
        case ComponentKind::GroupBox:
            return {L"Button", BS_GROUPBOX | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
        case ComponentKind::DriveBox:
        case ComponentKind::ColorBox:
            return {L"ComboBox", kOwnerDrawnList, 0};
        case ComponentKind::Text:
            // Clipped by the controls above it when a wider font makes it run into one.
            return {L"Static", SS_LEFTNOWORDWRAP | WS_CLIPSIBLINGS, 0};
        case ComponentKind::SpinBox:
        case ComponentKind::EditBox:
            return {L"Edit", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
        case ComponentKind::TextArea:
            return {L"Edit", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP,
                    WS_EX_CLIENTEDGE};
        case ComponentKind::DropDownList:
            return {L"ComboBox", kList, 0};
        case ComponentKind::CheckBox:
            return {L"Button", BS_AUTOCHECKBOX | WS_TABSTOP, 0};
        case ComponentKind::OpenPictureDialog:
            break;
    }
    return {nullptr, 0, 0};
}

bool IsDropDown(ComponentKind kind) {
    return kind == ComponentKind::DriveBox || kind == ComponentKind::ColorBox ||
           kind == ComponentKind::DropDownList;
}

bool IsOwnerDrawn(ComponentKind kind) {
    return kind == ComponentKind::DriveBox || kind == ComponentKind::ColorBox;
}

// A read-only help text: Tab and Enter keep their dialog meaning instead of being typed.
LRESULT TextAreaProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, void*, WNDPROC next) {
    LRESULT result = CallWindowProcW(next, edit, message, wParam, lParam);
    if (message == WM_GETDLGCODE) result &= ~(DLGC_WANTTAB | DLGC_WANTALLKEYS);
    return result;
}

// The typed key picks its entry first, then the list opens on it.
LRESULT AutoDropDownProc(HWND comboBox, UINT message, WPARAM wParam, LPARAM lParam, void*,
                         WNDPROC next) {
    const LRESULT result = CallWindowProcW(next, comboBox, message, wParam, lParam);
    if (message == WM_CHAR && wParam >= L' ' && !SendMessageW(comboBox, CB_GETDROPPEDSTATE, 0, 0)) {
        SendMessageW(comboBox, CB_SHOWDROPDOWN, TRUE, 0);
    }
    return result;
}

void AddListEntries(HWND comboBox, std::string_view entries) {
    while (!entries.empty()) {
        const auto end = std::min(entries.find('\n'), entries.size());
        const std::string entry(entries.substr(0, end));
        SendMessageA(comboBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
        entries.remove_prefix(std::min(end + 1, entries.size()));
    }
}

// The closed box's height follows the font unless set. How the set value maps to the window's
// height differs between systems, so it is corrected by what comes out.
void FitDropDownHeight(HWND comboBox, int height) {
    auto field = static_cast<int>(SendMessageW(comboBox, CB_GETITEMHEIGHT, -1, 0));
    for (int attempt = 0; attempt < 3; ++attempt) {
        RECT rect{};
        GetWindowRect(comboBox, &rect);
        const int actual = rect.bottom - rect.top;
        if (actual == height) return;
        field += height - actual;
        SendMessageW(comboBox, CB_SETITEMHEIGHT, -1, field);
    }
}

// Captions keep to one line and are never cut: a label grows to its text when the font is
// wider than the one the table was measured with.
void FitTextWidth(HWND label, const ComponentRow& row, HFONT font, DpiScale scale) {
    const ScopedWindowDC dc(label);
    const ScopedSelect selected(dc.get(), font);
    SIZE extent{};
    GetTextExtentPoint32A(dc.get(), row.text, static_cast<int>(std::strlen(row.text)), &extent);
    if (extent.cx > scale(row.rect.width)) {
        SetWindowPos(label, nullptr, 0, 0, extent.cx, scale(row.rect.height),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void SetUpKind(HWND window, const ComponentRow& row, HFONT font, DpiScale scale) {
    switch (row.kind) {
        case ComponentKind::Text:
            FitTextWidth(window, row, font, scale);
            break;
        case ComponentKind::PictureView:
            AttachPictureView(window);
            break;
        case ComponentKind::GroupBox:
            AttachGroupBox(window);
            break;
        case ComponentKind::SpinBox:
            AttachSpinButtons(window, row.minValue, row.maxValue);
            break;
        case ComponentKind::EditBox:
            SendMessageW(window, EM_SETLIMITTEXT, 0, 0);  // 0: as long as the system allows
            break;
        case ComponentKind::TextArea:
            SubclassWindow(window, &TextAreaProc, nullptr);
            break;
        case ComponentKind::ColorBox:
            FillColorBox(window);
            break;
        case ComponentKind::DropDownList:
            AddListEntries(window, row.text);
            if (row.flags & kAutoDropDown) SubclassWindow(window, &AutoDropDownProc, nullptr);
            break;
        default:
            break;
    }
    if (IsOwnerDrawn(row.kind)) {
        SendMessageW(window, CB_SETITEMHEIGHT, 0, scale(Form().listItemHeight));
    }
    if (IsDropDown(row.kind)) FitDropDownHeight(window, scale(row.rect.height));
}

HWND CreateComponent(const ComponentRow& row, HWND parent, HFONT font, DpiScale scale) {
    const KindWindow kind = WindowOf(row.kind);
    DWORD style = WS_CHILD | WS_VISIBLE | kind.style;
    if (row.flags & kDefaultButton) style = (style & ~BS_PUSHBUTTON) | BS_DEFPUSHBUTTON;
    int height = scale(row.rect.height);
    // A combo box is created with the height of its open list.
    if (IsDropDown(row.kind)) {
        height += Form().dropDownCount * scale(Form().listItemHeight) + 2;
    }
    const auto component = static_cast<Component>(&row - Components().data());
    const HWND window = CreateWindowExW(
        kind.exStyle, kind.className, nullptr, style, scale(row.rect.left), scale(row.rect.top),
        scale(row.rect.width), height, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(component))),
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
    // Each new child behind its elder siblings: the z-order is the tab order.
    SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (row.kind != ComponentKind::DropDownList && row.text[0] != '\0') {
        SetControlText(window, row.text);
    }
    SetUpKind(window, row, font, scale);
    return window;
}

// The children of one parent in tab order; those that take no focus follow in table order.
std::vector<Component> ChildrenInTabOrder(Component parent) {
    std::vector<Component> children;
    for (const ComponentRow& row : Components()) {
        if (row.parent == parent && row.kind != ComponentKind::OpenPictureDialog) {
            children.push_back(static_cast<Component>(&row - Components().data()));
        }
    }
    std::stable_sort(children.begin(), children.end(), [](Component a, Component b) {
        const auto key = [](Component c) {
            const int tab = Row(c).tab;
            return tab == kNoTabStop ? kComponentCount : tab;
        };
        return key(a) < key(b);
    });
    return children;
}

void CreateChildren(Component parent, HWND parentWindow, HFONT font, DpiScale scale,
                    ComponentWindows& windows) {
    for (const Component child : ChildrenInTabOrder(parent)) {
        const int index = static_cast<int>(child);
        windows[index] = CreateComponent(Row(child), parentWindow, font, scale);
        if (Row(child).kind == ComponentKind::GroupBox) {
            CreateChildren(child, windows[index], font, scale, windows);
        }
    }
}

}  // namespace

DpiScale SystemDpiScale() {
    const ScopedWindowDC screen(nullptr);
    const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
    return {dpi > 0 ? dpi : 96};
}

ComponentWindows CreateComponents(HWND form, HFONT font, DpiScale scale) {
    ComponentWindows windows{};
    CreateChildren(kForm, form, font, scale, windows);
    return windows;
}

}  // namespace spacegauge
