#pragma once
// The error box, and the guard that turns an escaping error into it at a routine's edge.
#include <exception>
#include <string>

#include "host/exception.h"

namespace spacegauge {

// A message box with no owner, the message as text, the caption, one OK button, no icon.
void ShowErrorBox(const char* caption, const std::string& message);

// Runs body; any error that escapes it is shown in the error box with the caption. Returns
// false when an error was shown. Nothing ever propagates out of it.
template <typename Body>
bool RunGuarded(const char* caption, Body&& body) noexcept {
    try {
        try {
            body();
            return true;
        } catch (const std::bad_alloc&) {
            ShowErrorBox(caption, "Out of memory");
        } catch (const std::exception& e) {
            ShowErrorBox(caption, e.what());
        } catch (...) {
            ShowErrorBox(caption, "Unexpected error");
        }
    } catch (...) {
        // Showing the box itself failed; the host must still get control back.
    }
    return false;
}

}  // namespace spacegauge
