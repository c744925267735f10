// Any bytes as the text of a release file. What the reader accepts must be
// within its limits and come back the same through the writer; every step
// must start a chain to latest that ends there, each step leading on from
// where the one before it ended, and no longer than the steps there are.
#include <cstddef>
#include <cstdint>
#include <string>

#include "sign/Release.h"

namespace {

void Check(bool ok) {
    if (!ok) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string why;
    std::optional<sign::Release> release = sign::ParseRelease(text, &why);
    if (!release) {
        Check(why.compare(0, 5, "line ") == 0);
        return 0;
    }
    Check(text.size() <= sign::kReleaseBytesMax);
    Check(release->serial >= 1);
    Check(release->latest >= 0);
    Check(release->keys.size() <= sign::kReleaseKeysMax);
    Check(release->steps.size() <= sign::kReleaseStepsMax);

    const std::string written = sign::FormatRelease(*release);
    std::optional<sign::Release> again = sign::ParseRelease(written, &why);
    Check(again.has_value());
    Check(*again == *release);
    Check(sign::FormatRelease(*again) == written);
    Check(sign::ParseUtcTime(sign::FormatUtcTime(release->expires)) == release->expires);

    for (const sign::ReleaseStep& step : release->steps) {
        Check(step.from < step.to && step.to <= release->latest);
        Check(step.size <= sign::kReleaseSizeMax && step.md5.size() == 32);
        Check(!step.path.empty() && step.path.size() <= sign::kReleasePathBytesMax);
        std::optional<std::vector<sign::ReleaseStep>> chain = sign::ChainFrom(*release, step.from);
        Check(chain.has_value());
        Check(!chain->empty() && chain->size() <= release->steps.size());
        Check(chain->front() == step && chain->back().to == release->latest);
        for (size_t i = 1; i < chain->size(); ++i) {
            Check((*chain)[i].from == (*chain)[i - 1].to);
        }
    }
    Check(sign::ChainFrom(*release, release->latest).value().empty());
    return 0;
}
