/// @file
/// A header whose class has one member without documentation: running the
/// API documentation's settings on it must fail.
#pragma once

namespace probe {

/// A documented class.
class Documented {
  public:
    /// A documented member.
    int Described() const;
    int Undescribed() const;
};

}  // namespace probe
