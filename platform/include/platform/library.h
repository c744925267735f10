// Shared libraries loaded at run time: plug-ins that a program finds by
// path and calls through exported C entry points.
#pragma once

#include <cstdint>
#include <string>

#include "platform/result.h"

namespace platform {

// One loaded shared library (a DLL on Windows, a shared object on POSIX).
// Move-only; the destructor unloads it, so every pointer taken from it with
// Symbol() (and every object whose code lives in it) must be gone by then.
class SharedLibrary {
public:
    SharedLibrary() = default;
    ~SharedLibrary();
    SharedLibrary(SharedLibrary&& other) noexcept;
    SharedLibrary& operator=(SharedLibrary&& other) noexcept;
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // Loads the library at path (a system path: GBK, "\" or "/"; on POSIX
    // every component is matched without regard to letter case, as Windows
    // does). A library that is missing fails with a not-found error (see
    // IsNotFound); one that exists but cannot be loaded (wrong format, a
    // dependency missing) with another code.
    static Result<SharedLibrary> Open(const std::string& path);

    bool IsOpen() const { return handle_ != nullptr; }
    void Close();

    // Address of an exported symbol (a C entry point); null when the library
    // exports no such name or is not open.
    void* Symbol(const char* name) const;

    // Typed form of Symbol for function entry points.
    template <typename Fn>
    Fn Function(const char* name) const {
        return reinterpret_cast<Fn>(Symbol(name));
    }

private:
    explicit SharedLibrary(void* h) : handle_(h) {}
    void* handle_ = nullptr;
};

// The file name the build gives a shared library of the given base name:
// "Dovwox" is "Dovwox.dll" on Windows and "libdovwox.so" on POSIX.
std::string SharedLibraryFileName(const std::string& baseName);

}  // namespace platform
