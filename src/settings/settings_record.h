#pragma once
// The thirteen settings of one docklet instance, named after their INI keys.
#include <cstdint>
#include <string>

namespace spacegauge {

// 0x00BBGGRR, or 0xFF000000 + index for a system colour, or one of the two special values.
using ColorValue = std::int32_t;

struct SettingsRecord {
    std::wstring IconSource;  // UTF-16: the one field that goes to GDI+ as a file name
    ColorValue LabelColor = 0;
    std::string LabelText;
    std::int32_t LabelSize = 0;
    char Drive = 0;
    std::string Command;  // holds real double quotes; "!!" is only the file form
    std::int32_t Update = 0;
    bool DrawOutline = false;
    std::int32_t OutlineWidth = 0;
    ColorValue OutlineColor = 0;
    std::int32_t VerticalPos = 0;
    std::int32_t HorizontalPos = 0;
    std::string DockletCaption;
};

}  // namespace spacegauge
