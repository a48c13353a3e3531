// An error that carries a number beside its description, as the runtime
// errors the original component raised to its callers ("File not found" is
// 53).
#pragma once

#include <stdexcept>
#include <string>

#include "vendral/export.h"

namespace vendral {

constexpr int kErrorFileNotFound = 53;

class VENDRAL_API NumberedError : public std::runtime_error {
  public:
    NumberedError(int number, const std::string& description)
        : std::runtime_error(description), number_(number) {}
    int Number() const { return number_; }
    std::string Description() const { return what(); }

  private:
    int number_;
};

}  // namespace vendral
