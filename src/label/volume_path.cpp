#include "label/volume_path.h"

namespace spacegauge {

std::string QueryDirectory(std::string_view path) {
    const std::size_t cut = path.find_last_of("\\:");
    std::string directory(cut == std::string_view::npos ? std::string_view{}
                                                        : path.substr(0, cut + 1));
    if (directory.empty() || directory.back() != '\\') directory += '\\';
    return directory;
}

}  // namespace spacegauge
