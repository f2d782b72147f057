#include "engine/log_mutex.h"

#include <gtest/gtest.h>

#include <thread>

namespace vzv {
namespace {

// Recursive for its owner. A thread that ends holding it hands it on: false,
// as for an abandoned Windows mutex, but the caller owns it now, once, and
// others neither take it within a wait nor release it.
TEST(LogMutex, RecursiveAndHandedOnWhenAbandoned) {
    CLogMutex mutex(false, u"LogMutex");
    std::thread([&] { ASSERT_TRUE(mutex.Lock() && mutex.Lock(0)); }).join();
    EXPECT_FALSE(mutex.Lock());
    std::thread([&] { EXPECT_FALSE(mutex.Lock(20) || mutex.Unlock()); }).join();
    EXPECT_TRUE(mutex.Unlock());
    std::thread([&] { EXPECT_TRUE(mutex.Lock(0) && mutex.Unlock()); }).join();
}

}  // namespace
}  // namespace vzv
