// A small shared library for the tests of run-time loading: one exported C
// entry point that answers from code inside the library.
#if defined(_WIN32)
#define PLUGIN_EXPORT extern "C" __declspec(dllexport)
#else
#define PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {
int g_calls = 0;  // lives in the library: gone when it is unloaded
}

PLUGIN_EXPORT int platform_test_plugin_twice(int v) {
    ++g_calls;
    return 2 * v;
}

PLUGIN_EXPORT int platform_test_plugin_calls() {
    return g_calls;
}
