/// @file
/// NumberedError, an error with the number its callers test.
#pragma once

#include <stdexcept>
#include <string>

#include "vendral/export.h"

namespace vendral {

/// The number of "File not found".
constexpr int kErrorFileNotFound = 53;

/// An error that carries a number beside its description, as the runtime
/// errors the original component raised to its callers ("File not found" is
/// 53).
class VENDRAL_API NumberedError : public std::runtime_error {
  public:
    /// An error of @p number with @p description as what().
    NumberedError(int number, const std::string& description)
        : std::runtime_error(description), number_(number) {}
    /// The error number.
    int Number() const { return number_; }
    /// The description, the same text as what().
    std::string Description() const { return what(); }

  private:
    int number_;
};

}  // namespace vendral
