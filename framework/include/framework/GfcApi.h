// Export mark of the Talvane library (Talvane.dll, libtalvane.so): the GFC
// classes the game derives from and calls. Anything unmarked stays private.
#pragma once

#if defined(_WIN32)
#if defined(TALVANE_BUILD)
#define GFC_API __declspec(dllexport)
#else
#define GFC_API __declspec(dllimport)
#endif
#else
#define GFC_API __attribute__((visibility("default")))
#endif

// The C++ runtime of the mingw builds formats with its own C99 printf, so
// the checks follow the GNU rules there too.
#if defined(_WIN32) && defined(__GNUC__) && !defined(__clang__)
#define GFC_PRINTF(fmt, args) __attribute__((format(gnu_printf, fmt, args)))
#elif defined(__GNUC__) || defined(__clang__)
#define GFC_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define GFC_PRINTF(fmt, args)
#endif
