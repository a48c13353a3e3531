// What the libraries export: their programming interface and nothing else.
// Everything not marked here is hidden (the libraries are built with hidden
// visibility), so internal helpers never become part of the ABI by accident.
#pragma once

#if defined(__GNUC__) || defined(__clang__)
#define VENDRAL_API __attribute__((visibility("default")))
#else
#define VENDRAL_API
#endif
