// The moments at which a kill test stops the program it runs: uniform over
// the length of an uninterrupted run and a fifth more, so that some kills
// land in the run and some after it.
#pragma once

#include <cstdint>
#include <optional>
#include <random>

#include "platform/process.h"

namespace testsupport {

class KillMoments {
public:
    // runMs: an uninterrupted run; seed: see TestSeed.
    KillMoments(uint64_t runMs, uint32_t seed);

    // Lets a started program run until the next moment and kills it if it is
    // still running then; a run that ends sooner is not waited for any
    // longer. Answers its exit code, or nothing when it did not end within
    // reapMs of the kill; delayMs tells the moment chosen.
    std::optional<int> StopAtNextMoment(platform::Process& run, int reapMs, uint32_t& delayMs);

    uint64_t runMs() const { return runMs_; }

private:
    uint64_t runMs_;
    std::mt19937 rng_;
};

}  // namespace testsupport
