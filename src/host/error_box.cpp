#include "host/error_box.h"

#include <windows.h>

namespace spacegauge {

void ShowErrorBox(const char* caption, const std::string& message) {
    // No owner: the library has no window of its own, and the host's must not be assumed.
    MessageBoxA(nullptr, message.c_str(), caption, MB_OK);
}

}  // namespace spacegauge
