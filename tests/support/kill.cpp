#include "testsupport/kill.h"

#include <algorithm>

#include "platform/clock.h"

namespace testsupport {

namespace {
constexpr int kStartAttempts = 5;
constexpr uint32_t kStartPauseMs = 200;
}  // namespace

KillMoments::KillMoments(uint64_t runMs, uint32_t seed)
    : runMs_(std::max<uint64_t>(runMs, 1)), rng_(seed) {}

platform::Result<platform::Process> KillMoments::Start(const std::string& program,
                                                       const std::vector<std::string>& args,
                                                       const std::string& workDir) {
    platform::Result<platform::Process> run = platform::StartProgram(program, args, workDir);
    for (int attempt = 1; !run && attempt < kStartAttempts; ++attempt) {
        platform::SleepMs(kStartPauseMs);
        run = platform::StartProgram(program, args, workDir);
    }
    return run;
}

platform::Result<int> KillMoments::StopAtNextMoment(platform::Process& run, int reapMs,
                                                    uint32_t& delayMs) {
    delayMs = static_cast<uint32_t>(rng_() % (runMs_ + runMs_ / 5 + 1));
    platform::Result<int> ended = run.Wait(static_cast<int>(delayMs));
    if (ended || !platform::IsTimedOut(ended.error())) {
        return ended;
    }
    run.Kill();
    return run.Wait(reapMs);
}

}  // namespace testsupport
