// The moments at which a kill test stops the program it runs: uniform over
// the length of an uninterrupted run and a fifth more, so that some kills
// land in the run and some after it.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "platform/process.h"
#include "platform/result.h"

namespace testsupport {

class KillMoments {
public:
    // runMs: an uninterrupted run; seed: see TestSeed.
    KillMoments(uint64_t runMs, uint32_t seed);

    // Starts the program of the next round. Wine now and then refuses to
    // create a process right after it has terminated one ("internal
    // error"); such a start is tried again a few times, as a player would
    // start the program again, before the failure is answered.
    static platform::Result<platform::Process> Start(const std::string& program,
                                                     const std::vector<std::string>& args,
                                                     const std::string& workDir);

    // Lets a started program run until the next moment and kills it if it is
    // still running then; a run that ends sooner is not waited for any
    // longer. Answers its exit code, or the error of a wait that did not end
    // within reapMs of the kill; delayMs tells the moment chosen.
    platform::Result<int> StopAtNextMoment(platform::Process& run, int reapMs, uint32_t& delayMs);

    uint64_t runMs() const { return runMs_; }

private:
    uint64_t runMs_;
    std::mt19937 rng_;
};

}  // namespace testsupport
