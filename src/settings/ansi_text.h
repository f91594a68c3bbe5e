#pragma once
// Conversions between the settings' 8-bit texts and UTF-16, through the thread's ANSI code page.
#include <windows.h>

#include <string>
#include <string_view>

namespace spacegauge {

// A character the code page cannot hold becomes the system's default character.
inline std::string AnsiText(std::wstring_view text) {
    const int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string result(size, '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result.data(), size,
                        nullptr, nullptr);
    return result;
}

inline std::wstring WideText(std::string_view text) {
    const int size =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(size, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result.data(), size);
    return result;
}

}  // namespace spacegauge
