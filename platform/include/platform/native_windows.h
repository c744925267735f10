// Opt-in header for the Win32-only files (the Win32 back end of the seam and
// the Windows front ends): <windows.h> without the macros that would rename
// the seam's own functions (DeleteFile -> DeleteFileW and so on).
#pragma once

#ifndef _WIN32
#error "native_windows.h is for Windows builds only"
#endif

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif

#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#undef DeleteFile
#undef MoveFile
#undef CreateDirectory
#undef SetCurrentDirectory
#undef GetProfileString
#undef GetProfileInt
#undef WriteProfileString
#undef MessageBox
#undef GetCurrentDirectory
