#pragma once
#include <string>

namespace spacegauge {

// The template with the figures of drive `drive` (a letter of either case) in place of its
// placeholders. Reports nothing: a failed query shows as zero figures.
std::string ExpandLabel(const std::string& templ, char drive);

}  // namespace spacegauge
