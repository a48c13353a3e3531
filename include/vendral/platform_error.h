/// @file
/// PlatformError, the error of a refused property value or call.
#pragma once

#include "vendral/numbered_error.h"

namespace vendral {

/// The error that the platform raises to the caller of a property or method,
/// with the platform's error number (6 overflow, 11 division by zero, 53 file
/// not found, 380 invalid property value) beside its text.
using PlatformError = NumberedError;

}  // namespace vendral
