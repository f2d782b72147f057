#include "placement/log_placement.h"

#include <gtest/gtest.h>

#include <utility>

namespace vzv {

TEST(StartupLogName, CutsAtTheFirstDotLog) {
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"C:\\Logs\\App_1.log", u"C:\\Logs\\App_1.startup.log"},
        {u"D:\\x\\run.logfile", u"D:\\x\\run.startup.log"},
        {u"D:\\old.logs\\run.log", u"D:\\old.startup.log"},
        {u"D:\\x\\run.txt", u"D:\\x\\run.txt"}, {u"D:\\x\\run.LOG", u"D:\\x\\run.LOG"}, {u".lo", u".lo"},
    };
    for (const auto& [path, startup] : cases) EXPECT_EQ(StartupLogName(path), startup);
}

}  // namespace vzv
