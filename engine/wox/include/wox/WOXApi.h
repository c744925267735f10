// Export mark of the widget-library stand-in's shared library (WOX.dll,
// libwox.so). The game and its plug-ins (Dovwox) share one copy of it, so a
// window type registered by a plug-in is seen by the game's widget system.
#pragma once

#if defined(_WIN32)
#if defined(WOX_BUILD)
#define WOX_API __declspec(dllexport)
#else
#define WOX_API __declspec(dllimport)
#endif
#else
#define WOX_API __attribute__((visibility("default")))
#endif
