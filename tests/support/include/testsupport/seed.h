// The seed of a test's random choices (when to kill a program, where to cut
// a file): the value of TESMAR_SEED when it is set, to replay a run, else a
// fresh one. Either way it is printed on standard output with the command
// that replays it, so a run that fails once can be run again the same way:
//
//   TESMAR_SEED=1234 ctest --test-dir build/native -R cpk_crash_test
#pragma once

#include <cstdint>

namespace testsupport {

constexpr const char kSeedVariable[] = "TESMAR_SEED";

// what names the test in the printed line.
uint32_t TestSeed(const char* what);

}  // namespace testsupport
