// Internals of the libraries, in namespace vendral::detail (and vendral::com
// beside the component runtime's public client side): no part of the
// programming interface, no compatibility kept between versions, declared in
// no installed header.
#pragma once

#include "vendral/export.h"

// What the widget library takes from the core: exported from every build, and
// declared in namespace vendral::internal alone, so that the export lists can
// tell it from the programming interface.
#define VENDRAL_INTERNAL VENDRAL_API

// What only the tests reach: exported from a build with tests, hidden in the
// builds that are installed and shipped.
#if defined(VENDRAL_EXPORT_TEST_INTERNALS)
#define VENDRAL_TEST_INTERNAL VENDRAL_API
#else
#define VENDRAL_TEST_INTERNAL
#endif
