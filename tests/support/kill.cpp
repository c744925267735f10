#include "testsupport/kill.h"

#include <algorithm>

namespace testsupport {

KillMoments::KillMoments(uint64_t runMs, uint32_t seed)
    : runMs_(std::max<uint64_t>(runMs, 1)), rng_(seed) {}

std::optional<int> KillMoments::StopAtNextMoment(platform::Process& run, int reapMs,
                                                 uint32_t& delayMs) {
    delayMs = static_cast<uint32_t>(rng_() % (runMs_ + runMs_ / 5 + 1));
    if (std::optional<int> ended = run.Wait(static_cast<int>(delayMs))) {
        return ended;
    }
    run.Kill();
    return run.Wait(reapMs);
}

}  // namespace testsupport
