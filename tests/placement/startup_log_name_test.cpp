#include "placement/log_placement.h"

#include <gtest/gtest.h>

namespace vzv {

TEST(StartupLogName, CutsAtTheFirstDotLog) {
    const struct {
        const char16_t* path;
        const char16_t* startup;
    } cases[] = {
        {u"C:\\Logs\\App_1.log", u"C:\\Logs\\App_1.startup.log"},
        {u"D:\\x\\run.log.1", u"D:\\x\\run.startup.log"},
        {u"D:\\x\\run.logfile", u"D:\\x\\run.startup.log"},
        {u"D:\\old.logs\\run.log", u"D:\\old.startup.log"},
        {u"D:\\x\\run.txt", u"D:\\x\\run.txt"},
        {u"D:\\x\\run.LOG", u"D:\\x\\run.LOG"},
        {u".lo", u".lo"},
    };
    for (const auto& c : cases) EXPECT_EQ(StartupLogName(c.path), c.startup);
}

}  // namespace vzv
