// An error that the platform raises to the caller of a property or method,
// with the platform's error number (6 overflow, 380 invalid property value,
// and so on) beside its text.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vendral {

class PlatformError : public std::runtime_error {
  public:
    PlatformError(std::int32_t number, const std::string& message)
        : std::runtime_error(message), number_(number) {}

    std::int32_t Number() const noexcept { return number_; }

  private:
    std::int32_t number_;
};

}  // namespace vendral
