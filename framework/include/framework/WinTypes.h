// The Windows handle and message types of the framework's window interface,
// with the same types and sizes as <windows.h> gives them, so that portable
// code (and the SDL2 back end on Linux) needs no Windows header. Files that
// do include <windows.h> see the same types through both names.
#pragma once

#include <cstdint>

// Opaque handle tags, as <windows.h> declares them in strict mode.
struct HWND__;
struct HICON__;

namespace GFC {

using HWND = ::HWND__*;    // the application window (an SDL_Window on Linux)
using HICON = ::HICON__*;  // a window icon (null: the system's default)
using UINT = unsigned int;
#if defined(_WIN64)
using WPARAM = unsigned long long;
using LPARAM = long long;
#elif defined(_WIN32)
using WPARAM = unsigned int;
using LPARAM = long;
#else
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
#endif

}  // namespace GFC
