#include "engine/log_mutex.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace vzv {
namespace {

// Runs f on a thread of its own and waits for it.
template <class F>
void Elsewhere(F f) {
    std::thread(f).join();
}

TEST(LogMutex, RecursiveExclusiveTimedAndAbandoned) {
    CLogMutex mutex(false, u"LogMutex");
    ASSERT_TRUE(mutex.Lock() && mutex.Lock());
    EXPECT_TRUE(mutex.Unlock());
    Elsewhere([&] {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(mutex.Lock(100));  // one Lock still unmatched: gives up after the wait
        EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(90));
        EXPECT_FALSE(mutex.Unlock());  // not the owner
    });
    EXPECT_TRUE(mutex.Unlock());
    EXPECT_FALSE(mutex.Unlock());  // nothing left to release
    // A thread that ends holding it: false, as for an abandoned Windows mutex,
    // but the caller owns it now.
    Elsewhere([&] { ASSERT_TRUE(mutex.Lock(0)); });
    EXPECT_FALSE(mutex.Lock());
    Elsewhere([&] { EXPECT_FALSE(mutex.Lock(0)); });
    EXPECT_TRUE(mutex.Unlock());
    Elsewhere([&] { EXPECT_TRUE(mutex.Lock(0) && mutex.Unlock()); });  // usable again
}

}  // namespace
}  // namespace vzv
