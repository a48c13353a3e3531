// What the libraries export: their programming interface and nothing else.
// Everything not marked here is hidden (the libraries are built with hidden
// visibility), so internal helpers never become part of the ABI by accident.
#pragma once

#if defined(_WIN32)
// A DLL exports what it marks and its clients import it; the library's own
// build defines VENDRAL_BUILDING.
#if defined(VENDRAL_BUILDING)
#define VENDRAL_API __declspec(dllexport)
#else
#define VENDRAL_API __declspec(dllimport)
#endif
#elif defined(__GNUC__) || defined(__clang__)
#define VENDRAL_API __attribute__((visibility("default")))
#else
#define VENDRAL_API
#endif
