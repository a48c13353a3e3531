// An error of the platform layer that carries the standard error number a
// client of the original component saw (11 "Division by zero", 53 "File not
// found", ...) together with its message.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vendral {

class PlatformError : public std::runtime_error {
  public:
    PlatformError(std::int32_t number, const std::string& message)
        : std::runtime_error(message), number_(number) {}
    std::int32_t Number() const { return number_; }

  private:
    std::int32_t number_;
};

}  // namespace vendral
