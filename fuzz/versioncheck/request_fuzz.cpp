// What versiond reads from outside: a manifest at start-up and the bytes of
// a client connection.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "Catalog.h"
#include "VersionServer.h"

namespace {

const versiond::Catalog& FuzzCatalog() {
    static const versiond::Catalog catalog = [] {
        std::string error;
        auto m = versiond::ParseManifest(
            "latest 9\nmirror 1 10.0.0.1\nmirror * 10.0.0.2\npath 3\npath 4\n", &error);
        if (!m) {
            std::abort();
        }
        auto c = versiond::Catalog::Build(*m, ".", &error);
        if (!c) {
            std::abort();
        }
        return std::move(*c);
    }();
    return catalog;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    if (data[0] & 1) {
        std::string error;
        auto m = versiond::ParseManifest(
            std::string_view(reinterpret_cast<const char*>(data + 1), size - 1), &error);
        if (m) {
            for (const auto& entry : m->paths) {
                for (const std::string& f : entry.second) {
                    if (!versiond::CheckServedPath(f).empty()) {
                        std::abort();
                    }
                }
            }
        } else if (error.empty()) {
            std::abort();
        }
        return 0;
    }
    std::vector<uint8_t> out;
    const size_t maxOut = 4096;
    auto o = versiond::HandleInput(FuzzCatalog(), data + 1, size - 1, out, maxOut, nullptr);
    if (o.used > size - 1) {
        std::abort();
    }
    return 0;
}
