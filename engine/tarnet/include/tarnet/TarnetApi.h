// Export mark of the network library stand-in (Tarnet.dll, libtarnet.so).
#pragma once

#if defined(_WIN32)
#if defined(TARNET_BUILD)
#define TARNET_API __declspec(dllexport)
#else
#define TARNET_API __declspec(dllimport)
#endif
#else
#define TARNET_API __attribute__((visibility("default")))
#endif
