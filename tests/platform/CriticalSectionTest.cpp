#include "platform/CriticalSection.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>

namespace {

using namespace std::chrono_literals;

// Long enough for a thread that could take the lock to have done so; a correct lock never
// makes this check fail, however slow the machine.
constexpr auto STILL_BLOCKED_WINDOW = 50ms;
constexpr auto BOUNDED_WAIT = 10s;

TEST(CCriticalSection, ReentrantOnOneThreadExclusiveAgainstAnother) {
    CCriticalSection cs;
    ASSERT_TRUE(cs.Lock());
    ASSERT_TRUE(cs.Lock()); // the holder may take it again

    auto other = std::async(std::launch::async, [&cs] {
        cs.Lock();
        cs.Unlock();
    });
    EXPECT_EQ(other.wait_for(STILL_BLOCKED_WINDOW), std::future_status::timeout);

    cs.Unlock(); // still held once
    EXPECT_EQ(other.wait_for(STILL_BLOCKED_WINDOW), std::future_status::timeout);

    cs.Unlock();
    EXPECT_EQ(other.wait_for(BOUNDED_WAIT), std::future_status::ready);
}

} // namespace
