/// @file
/// NumberedError, an error with the number its callers test (in
/// vendral/errors.h with the library's other exceptions).
#pragma once

#include "vendral/errors.h"
