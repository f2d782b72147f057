#include "engine/log_mutex.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace vzv {
namespace {

// Recursive for its owner. A thread that ends holding it hands it on: false,
// as for an abandoned Windows mutex, but the caller owns it now, once, and
// others neither take it at once or within a wait nor release it. A wait of
// 1.999 s, whose end falls seconds later, takes it once it is released.
TEST(LogMutex, RecursiveAndHandedOnWhenAbandoned) {
    CLogMutex mutex(false, u"LogMutex");
    std::thread([&] { ASSERT_TRUE(mutex.Lock() && mutex.Lock(0)); }).join();
    EXPECT_FALSE(mutex.Lock());
    std::thread([&] { EXPECT_FALSE(mutex.Lock(0) || mutex.Lock(20) || mutex.Unlock()); }).join();
    std::thread waiter([&] { EXPECT_TRUE(mutex.Lock(1999) && mutex.Unlock()); });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));  // no event says it waits
    EXPECT_TRUE(mutex.Unlock());
    waiter.join();
}

}  // namespace
}  // namespace vzv
