// The owner check behind the decoder's "under s.decodeMutex" asserts.
#include "audio/OwnedMutex.h"

#include <gtest/gtest.h>

#include <mutex>
#include <thread>

namespace {

bool HeldElsewhere(const OwnedMutex& m) {
    bool held = true;
    std::thread([&] { held = m.HeldByThisThread(); }).join();
    return held;
}

TEST(OwnedMutexTest, OnlyTheHoldingThreadHoldsIt) {
#ifdef NDEBUG
    GTEST_SKIP() << "the owner is tracked in Debug builds only";
#endif
    OwnedMutex m;
    EXPECT_FALSE(m.HeldByThisThread());
    {
        std::lock_guard lock(m);
        EXPECT_TRUE(m.HeldByThisThread());
        EXPECT_FALSE(HeldElsewhere(m));
    }
    EXPECT_FALSE(m.HeldByThisThread());
    ASSERT_TRUE(m.try_lock());
    EXPECT_TRUE(m.HeldByThisThread());
    bool otherGotIt = true;
    std::thread([&] { otherGotIt = m.try_lock(); }).join();
    EXPECT_FALSE(otherGotIt);
    m.unlock();
    EXPECT_FALSE(m.HeldByThisThread());
}

} // namespace
