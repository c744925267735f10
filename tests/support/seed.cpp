#include "testsupport/seed.h"

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace testsupport {

uint32_t TestSeed(const char* what) {
    uint32_t seed = 0;
    const char* given = std::getenv(kSeedVariable);
    if (given && *given) {
        char* end = nullptr;
        const unsigned long value = std::strtoul(given, &end, 10);
        if (*end != '\0') {
            std::fprintf(stderr, "%s=%s is not a number\n", kSeedVariable, given);
            std::abort();
        }
        seed = static_cast<uint32_t>(value);
        std::printf("%s: seed %u (given by %s)\n", what, seed, kSeedVariable);
    } else {
        seed = std::random_device{}();
        std::printf("%s: seed %u (replay with %s=%u)\n", what, seed, kSeedVariable, seed);
    }
    std::fflush(stdout);
    return seed;
}

}  // namespace testsupport
