#pragma once
// 8-bit texts of the settings file are in the ANSI code page; the host and GDI+ take UTF-16.
#include <windows.h>

#include <string>

namespace spacegauge {

std::wstring AnsiToWide(const std::string& text, UINT codePage = CP_ACP);
// Characters the code page cannot hold become its default character.
std::string WideToAnsi(const std::wstring& text, UINT codePage = CP_ACP);

}  // namespace spacegauge
