#pragma once

// The error that the platform's controls and services raise. Its message is
// a byte string in the system code page, as every text of the program.

#include <stdexcept>
#include <string>

namespace platform {

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message)
        : std::runtime_error(message) {}
};

} // namespace platform
