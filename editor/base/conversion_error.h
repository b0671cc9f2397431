#pragma once

#include <stdexcept>
#include <string>

namespace obrin {

// A text that should have held a number did not. The message is the one the
// user sees in the error box (UTF-8); the command that hit it is abandoned.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace obrin
