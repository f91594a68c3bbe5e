#pragma once
// The volume query and the decimal separator, both bound once when the library loads.
#include <cstdint>
#include <string>

namespace spacegauge {

// Total and caller-available bytes of the volume holding the path's directory. Writes the
// figures only when the query succeeds.
bool QueryDiskSpace(const std::string& path, std::int64_t& total, std::int64_t& free);

// The user's decimal separator as the locale of the loading thread gave it, or '.'.
char DecimalSeparator();

}  // namespace spacegauge
