// The server list's change signal: UnpackThread sets it when a package
// carried a new server list, and ServerListThread rebuilds the list.
#include <gtest/gtest.h>

#include <thread>

#include "patcher/UpdateDriver.h"

namespace {

// A second change that comes while the list is being rebuilt for the first
// is kept for the next rebuild: before, the waiter cleared the signal after
// its rebuild, and the second change was lost.
TEST(ServerListSignal, AChangeDuringARebuildIsKeptForTheNext) {
    ManualResetEvent changed;
    changed.Set();
    changed.WaitAndReset();  // the first change: a rebuild begins
    EXPECT_FALSE(changed.IsSet());
    changed.Set();  // a second package, while the rebuild runs
    EXPECT_TRUE(changed.IsSet());
    changed.WaitAndReset();  // the next wait returns at once
    EXPECT_FALSE(changed.IsSet());
}

// A waiter on another thread wakes for a Set, as ServerListThread does.
TEST(ServerListSignal, AWaiterOnAnotherThreadWakesForASet) {
    ManualResetEvent changed;
    std::thread waiter([&] { changed.WaitAndReset(); });
    changed.Set();
    waiter.join();
    EXPECT_FALSE(changed.IsSet());
}

}  // namespace
