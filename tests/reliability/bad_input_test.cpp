// Bad input from the client: each gives a defined result, and the process
// carries on.
#include "reliability_fixture.h"

namespace vzv::test {
namespace {

class BadInputTest : public ReliabilityTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(SetLogFilePath(Path("app.log").c_str()));
        Log::SetLogLevel(Log::LOGLEVEL_VERBOSE);
    }
    std::vector<std::string> Logged() const { return Texts(root / "app.log"); }
};

TEST_F(BadInputTest, IllFormedUtf8BecomesAnEmptyLine) {
    const char* const texts[] = {"\xC3(", "caf\xC3", "\xE2\x82", "\xF0\x9F\x98", "\xFF\xFE",
                                 "\xED\xA0\x80" /* a surrogate */, "\xC0\xAF" /* overlong */};
    for (const char* text : texts) {
        Log::Information("%s", text);
        Log::Information(text);
    }
    Log::Information("ok \xC3\xA9");
    std::vector<std::string> expected(2 * std::size(texts), "");
    expected.push_back("ok \xC3\xA9");
    EXPECT_EQ(Logged(), expected);
}

TEST_F(BadInputTest, NullPointersAreSkipped) {
    Log::Error(static_cast<const char*>(nullptr));
    Log::Error(static_cast<const wchar_t*>(nullptr));
    Log::Information("%s|%S", static_cast<const char*>(nullptr), static_cast<const wchar_t*>(nullptr));
    EXPECT_FALSE(SetLogFilePath(nullptr));
    Log::SetLogPath(nullptr);
    Log::Information("still here");
    // A null format logs nothing; a null string argument prints "(null)".
    EXPECT_EQ(Logged(), (std::vector<std::string>{"(null)|(null)", "still here"}));
}

TEST_F(BadInputTest, InvalidConversionsKeepTheFormatText) {
    Log::Information("%k");
    Log::Information("100%");
    Log::Information("%");
    Log::Information(L"%k and %");
    Log::Information("%999999999d", 5);
    Log::Debug("%.999999999f", 1.5);
    Log::Information("%*d", 1 << 30, 5);
    const std::vector<std::string> lines = Logged();
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "%k");
    EXPECT_EQ(lines[1], "100%");
    EXPECT_EQ(lines[2], "%");
    EXPECT_EQ(lines[3], "%k and %");
    // Widths beyond the buffer are cut to it, as any long text.
    EXPECT_EQ(lines[4].size(), 2047u);
    EXPECT_EQ(lines[5].size(), 16383u);
    EXPECT_EQ(lines[5].substr(0, 2), "1.");
    EXPECT_EQ(lines[6].size(), 2047u);
}

TEST_F(BadInputTest, EmbeddedLineBreaksAndNulsAreWrittenAsGiven) {
    Log::Information("a\r\nb\nc\rd");
    Log::Information(L"w\r\nx");
    Log::Information("x%cy", 0);
    Log::Information(L"x%cy", L'\0');
    const std::u16string text = ReadUtf16(root / "app.log");
    EXPECT_NE(text.find(u"| a\r\nb\nc\rd\r\n"), std::u16string::npos);
    EXPECT_NE(text.find(u"| w\r\nx\r\n"), std::u16string::npos);
    // The text ends at the NUL.
    EXPECT_EQ(text.find(u'\0'), std::u16string::npos);
    EXPECT_NE(text.find(u"| x\r\n"), std::u16string::npos);
}

TEST_F(BadInputTest, HugePathsAndEnvironmentValues) {
    const std::wstring huge = Path("dir/") + std::wstring(50000, L'p') + L".log";
    SetLogFilePath(huge.c_str());
    Log::Error("into a huge path");
    SetEnv("PROGRAMDATA", root.u8string() + "/" + std::string(5000, 'e'));
    Log::SetLogPath((Path("x") + L"/").c_str());  // the default name, in the huge folder
    Log::Error("into the default folder");
    ASSERT_NE(Log::GetLogPath(), nullptr);
    SetLogFilePath(Path("good/app.log").c_str());
    Log::Information("after");
    EXPECT_EQ(Texts(root / "good" / "app.log"), std::vector<std::string>{"after"});
}

TEST_F(BadInputTest, SelfReferencingVariablesExpandBoundedly) {
    SetEnv("VZV_SELF", "%VZV_SELF%");
    SetEnv("VZV_TWICE", "%VZV_TWICE%%VZV_TWICE%");
    for (const char* name : {"%VZV_SELF%", "%VZV_TWICE%"}) {
        SetEnv("PROGRAMDATA", root.u8string() + "/" + name);
        Log::SetLogPath((Path("x") + L"/").c_str());
        Log::Error("somewhere");
        const std::wstring path = Log::GetLogPath();
        EXPECT_EQ(path.find(Wide(root)), 0u) << "stays below its folder";
        EXPECT_LT(path.size(), 10000u);
    }
    SetLogFilePath(Path("good/app.log").c_str());
    Log::Information("after");
    EXPECT_EQ(Texts(root / "good" / "app.log"), std::vector<std::string>{"after"});
}

}  // namespace
}  // namespace vzv::test
