#include "platform/library.h"

#include <dlfcn.h>

#include <cerrno>

#include "platform/fs.h"
#include "platform/text.h"

namespace platform {

SharedLibrary::~SharedLibrary() {
    Close();
}

void SharedLibrary::Close() {
    if (handle_ != nullptr) {
        ::dlclose(handle_);
        handle_ = nullptr;
    }
}

Result<SharedLibrary> SharedLibrary::Open(const std::string& path) {
    if (!Exists(path)) {
        return Error{ErrorNotFound()};
    }
    std::string native = NativePath(path);
    // dlopen searches the library path for a bare name; a name in the
    // current folder must be given as a path to be found there, as
    // LoadLibrary finds it.
    if (native.find('/') == std::string::npos) {
        native = "./" + native;
    }
    void* h = ::dlopen(native.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (h == nullptr) {
        // dlopen sets no errno of its own: the file is there but is no
        // library this process can load.
        return Error{static_cast<uint32_t>(ENOEXEC)};
    }
    return SharedLibrary(h);
}

void* SharedLibrary::Symbol(const char* name) const {
    if (handle_ == nullptr || name == nullptr) {
        return nullptr;
    }
    return ::dlsym(handle_, name);
}

std::string SharedLibraryFileName(const std::string& baseName) {
    return "lib" + GbkToLowerAscii(baseName) + ".so";
}

}  // namespace platform
