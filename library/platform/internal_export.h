// Internals that the widget library and the tests share with the core library.
// They live in namespace vendral::detail and are exported under this mark only:
// they are no part of the programming interface, keep no compatibility between
// versions, and no installed header declares them.
#pragma once

#include "vendral/export.h"

#define VENDRAL_INTERNAL VENDRAL_API
