#pragma once
// The one error type that travels inside the plug-in. Its message is what the user reads in
// the error box, so it must be a complete, user-facing sentence.
#include <stdexcept>
#include <string>

namespace spacegauge {

class Exception : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace spacegauge
