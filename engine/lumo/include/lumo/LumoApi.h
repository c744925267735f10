// Export mark of the engine stand-in's shared library (Lumo.dll,
// liblumo.so). Everything the framework and the game call is marked; the
// rest stays private to the library.
#pragma once

#if defined(_WIN32)
#if defined(LUMO_BUILD)
#define LUMO_API __declspec(dllexport)
#else
#define LUMO_API __declspec(dllimport)
#endif
#else
#define LUMO_API __attribute__((visibility("default")))
#endif

// The C++ runtime of the mingw builds formats with its own C99 printf, so
// the checks follow the GNU rules there too.
#if defined(_WIN32) && defined(__GNUC__) && !defined(__clang__)
#define LUMO_PRINTF(fmt, args) __attribute__((format(gnu_printf, fmt, args)))
#elif defined(__GNUC__) || defined(__clang__)
#define LUMO_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define LUMO_PRINTF(fmt, args)
#endif
