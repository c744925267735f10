// The settings store shared by several processes at once: two patchers, or
// a patcher and the game, change it side by side.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "helper_path_test.h"
#include "platform/fs.h"
#include "platform/process.h"
#include "platform/settings.h"
#include "testsupport/settings_store.h"

namespace {

constexpr int kWriters = 4;
constexpr int kValuesEach = 40;

TEST(SettingsStoreProcesses, ConcurrentWritersLoseNoValue) {
    testsupport::ScopedSettingsStore store("Procs");
    const platform::SettingsStore& settings = store.store();
    ASSERT_TRUE(settings.CreateKey());

    std::vector<platform::Process> writers;
    for (int w = 0; w < kWriters; ++w) {
        std::string prefix = "w" + std::to_string(w) + "_";
        auto p = platform::StartProgram(
            HelperProgram(), {"settings", settings.where(), prefix, std::to_string(kValuesEach)},
            "");
        ASSERT_TRUE(p) << p.error().Message();
        writers.push_back(std::move(p.value()));
    }
    for (auto& p : writers) {
        EXPECT_EQ(p.Wait(-1).value_or(-1), 0);
    }
    // Every change of every process is there: none wrote back a store it
    // had read before another process's change.
    int missing = 0;
    for (int w = 0; w < kWriters; ++w) {
        for (int i = 0; i < kValuesEach; ++i) {
            std::string name = "w" + std::to_string(w) + "_" + std::to_string(i);
            auto v = settings.ReadString(name, 100);
            if (v.status != platform::SettingsRead::kOk || v.text != name) {
                ++missing;
            }
        }
    }
    EXPECT_EQ(missing, 0);
    EXPECT_TRUE(settings.DeleteKey());
}

}  // namespace
