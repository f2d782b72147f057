#include "config/log_config.h"

#include "support/test_files.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace vzv::test {
namespace {

// Left to right, values rescanned; a value's "%" pairs with the text's; a
// value that names itself ends after 64 references.
TEST(LogConfig, ExpansionTable) {
    SetEnv("VZV_A", "alpha");
    SetEnv("VZV_P", "%VZV_");
    SetEnv("VZV_SELF", "%VZV_SELF%x");
    UnsetEnv("VZV_NONE");
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"a%%b", u"ab"}, {u"%VZV_A%%", u"alpha%"}, {u"%VZV_P%A%", u"alpha"},
        {u"%VZV_NONE%VZV_A%", u"VZV_A%"}, {u"%VZV_SELF%", u"%VZV_SELF%" + std::u16string(64, u'x')},
    };
    for (auto [text, expected] : cases) {
        CLogConfig::ExpandEnvVars(text);
        EXPECT_EQ(Narrow(text), Narrow(expected));
    }
}

}  // namespace
}  // namespace vzv::test
