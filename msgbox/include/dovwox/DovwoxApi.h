// Export mark of the message-box plug-in (Dovwox.dll, libdovwox.so). The
// unit tests link the same code into their program (DOVWOX_STATIC).
#pragma once

#if defined(DOVWOX_STATIC)
#define DOVWOX_API
#elif defined(_WIN32)
#if defined(DOVWOX_BUILD)
#define DOVWOX_API __declspec(dllexport)
#else
#define DOVWOX_API __declspec(dllimport)
#endif
#else
#define DOVWOX_API __attribute__((visibility("default")))
#endif
