# The settings dialog: window, controls and their behaviour (Win32, comctl32, GDI+).
set(DIALOG_SOURCES
    src/settings/form_settings.cpp
    src/settings/settings_dialog.cpp
    src/settings/form_layout.cpp
    src/settings/form_builder.cpp
    src/settings/group_box.cpp
    src/settings/spin_edit.cpp
    src/settings/color_box.cpp
    src/settings/drive_combo.cpp
    src/settings/picture_view.cpp
    src/settings/open_picture_dialog.cpp
    src/settings/list_entry_drawing.cpp
    src/settings/control_text.cpp
    src/settings/window_subclass.cpp
    src/settings/visual_styles.cpp
    src/settings/dialog_manifest.rc)
