#pragma once
// Which directory a volume query asks about. Portable.
#include <string>
#include <string_view>

namespace spacegauge {

// Everything up to and including the last '\' or ':', then a '\' unless it already ends in
// one: "C:\Data\x.txt" -> "C:\Data\", "C:" -> "C:\", "" -> "\".
std::string QueryDirectory(std::string_view path);

}  // namespace spacegauge
