#include "engine/log_mutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace vzv {
namespace {

using namespace std::chrono_literals;

TEST(LogMutex, RecursiveAndExclusive) {
    CLogMutex mutex(false, u"LogMutex");
    ASSERT_TRUE(mutex.Lock());
    ASSERT_TRUE(mutex.Lock());

    std::atomic<bool> acquired{false};
    std::thread other([&] {
        EXPECT_FALSE(mutex.Lock(0));  // owned elsewhere: false at once
        EXPECT_FALSE(mutex.Unlock());  // not the owner
        EXPECT_TRUE(mutex.Lock());     // waits for both unlocks
        acquired = true;
        EXPECT_TRUE(mutex.Unlock());
    });
    std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(mutex.Unlock());
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(acquired);  // one Lock still unmatched
    EXPECT_TRUE(mutex.Unlock());
    other.join();
    EXPECT_TRUE(acquired);
    EXPECT_FALSE(mutex.Unlock());  // nothing left to release
}

TEST(LogMutex, TimedLockGivesUp) {
    CLogMutex mutex(true, u"owned");  // owned by this thread from the start
    std::thread other([&] {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(mutex.Lock(100));
        EXPECT_GE(std::chrono::steady_clock::now() - start, 90ms);
    });
    other.join();
    EXPECT_TRUE(mutex.Unlock());
}

TEST(LogMutex, AbandonedOwnerHandsOverTheLock) {
    CLogMutex mutex(false, u"LogMutex");
    std::thread([&] { ASSERT_TRUE(mutex.Lock()); }).join();  // ends holding it
    // False, as for an abandoned Windows mutex, but the caller owns it now.
    EXPECT_FALSE(mutex.Lock());
    std::thread([&] { EXPECT_FALSE(mutex.Lock(0)); }).join();
    EXPECT_TRUE(mutex.Unlock());
    std::thread([&] {
        EXPECT_TRUE(mutex.Lock(0));
        EXPECT_TRUE(mutex.Unlock());
    }).join();
}

}  // namespace
}  // namespace vzv
