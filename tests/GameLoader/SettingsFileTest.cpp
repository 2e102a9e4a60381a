#include "Settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

// What the XML library writes for a line end: the file is saved in text mode.
#if defined(_WIN32)
const std::string kEol = "\r\n";
#else
const std::string kEol = "\n";
#endif

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_path = ::testing::TempDir() + "zelk_settings_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".xml";
        std::remove(m_path.c_str());
    }
    void TearDown() override
    {
        std::remove(m_path.c_str());
        std::remove(replacement().c_str());
    }

    SettingsFileOpener opener() const
    {
        return [path = m_path](const char* mode) { return std::fopen(path.c_str(), mode); };
    }
    std::string bytes() const
    {
        std::ifstream in(m_path, std::ios::binary);
        std::ostringstream content;
        content << in.rdbuf();
        return content.str();
    }
    void write(const std::string& content) const { std::ofstream(m_path, std::ios::binary) << content; }
    // Writes through the sibling file and renames it over the file, as
    // the launcher does; `failWrite` hands the writer a file that refuses
    // every byte, as a full disk would.
    SettingsFileAccess access(bool failWrite = false, bool failReplace = false) const
    {
        SettingsFileAccess access;
        access.open = opener();
        const std::string sibling = replacement();
        access.createReplacement = [sibling, failWrite, path = m_path]() {
            return failWrite ? std::fopen(path.c_str(), "rb") : std::fopen(sibling.c_str(), "w");
        };
        access.replaceWithReplacement = [sibling, failReplace, path = m_path]() {
            if (failReplace)
                return false;
#if defined(_WIN32)
            // The C library's rename does not replace there; the launcher
            // itself replaces in one step with MoveFileExW.
            std::remove(path.c_str());
#endif
            return std::rename(sibling.c_str(), path.c_str()) == 0;
        };
        access.removeReplacement = [sibling]() { std::remove(sibling.c_str()); };
        return access;
    }
    std::string replacement() const { return m_path + ".new"; }
    bool save(const char* element, const std::string& value) const
    {
        return SaveSettingElement(access(), element, value);
    }
    bool load(const char* element, std::string& value) const { return LoadSettingElement(opener(), element, value); }

    std::string m_path;
};

}  // namespace

TEST_F(SettingsFile, CreatesAddsAndReplacesElements)
{
    ASSERT_TRUE(save(kPlatformWindowIdElement, "1234"));
    EXPECT_EQ("<settings>" + kEol + "    <kvwindowid>1234</kvwindowid>" + kEol + "</settings>" + kEol, bytes());

    ASSERT_TRUE(save(kLoginSourceElement, "KV"));
    ASSERT_TRUE(save(kLoginSourceElement, "web"));
    EXPECT_EQ("<settings>" + kEol + "    <kvwindowid>1234</kvwindowid>" + kEol +
                  "    <loginsource>web</loginsource>" + kEol + "</settings>" + kEol,
              bytes());

    std::string value;
    ASSERT_TRUE(load(kPlatformWindowIdElement, value));
    EXPECT_EQ("1234", value);
    ASSERT_TRUE(load(kLoginSourceElement, value));
    EXPECT_EQ("web", value);
}

TEST_F(SettingsFile, KeepsTheRootItFindsAndEverythingElse)
{
    write("<?xml version=\"1.0\" ?>\n<!-- kept -->\n<korvane version=\"2\">\n<theme>dark</theme>\n"
          "<kvwindowid>1<b>x</b></kvwindowid>\n</korvane>\n<other />\n");
    ASSERT_TRUE(save(kPlatformWindowIdElement, "99"));
    EXPECT_EQ("<?xml version=\"1.0\" ?>" + kEol + "<!-- kept -->" + kEol + "<korvane version=\"2\">" + kEol +
                  "    <theme>dark</theme>" + kEol + "    <kvwindowid>99</kvwindowid>" + kEol + "</korvane>" + kEol +
                  "<other />" + kEol,
              bytes());
}

TEST_F(SettingsFile, AFileThatIsNotXmlIsNeverTouched)
{
    for (const std::string content : {"not xml at all", "", "<settings><kvwindowid>1</settings>",
                                      "<!-- only a comment -->"}) {
        write(content);
        EXPECT_FALSE(save(kLoginSourceElement, "KV")) << content;
        EXPECT_EQ(content, bytes());
        std::string value = "untouched";
        EXPECT_FALSE(load(kPlatformWindowIdElement, value)) << content;
        EXPECT_EQ("untouched", value);
    }
}

TEST_F(SettingsFile, LoadReportsWhatIsThere)
{
    std::string value = "untouched";
    EXPECT_FALSE(load(kPlatformWindowIdElement, value)) << "no file";

    write("<settings><loginsource /><kvwindowid><b/>7</kvwindowid></settings>");
    EXPECT_TRUE(load(kLoginSourceElement, value)) << "an element without text is found";
    EXPECT_EQ("untouched", value);
    EXPECT_TRUE(load(kPlatformWindowIdElement, value)) << "its first child is not text";
    EXPECT_EQ("untouched", value);

    write("<settings><a><kvwindowid>5</kvwindowid></a></settings>");
    EXPECT_FALSE(load(kPlatformWindowIdElement, value)) << "only children of the root count";
}

TEST_F(SettingsFile, ValuesAreEscapedAndComeBackAsStored)
{
    const std::string utf8 = "K&V <\xe7\x8e\xa9>";
    ASSERT_TRUE(save(kLoginSourceElement, utf8));
    EXPECT_NE(std::string::npos, bytes().find("<loginsource>K&amp;V &lt;\xe7\x8e\xa9&gt;</loginsource>"));
    std::string value;
    ASSERT_TRUE(load(kLoginSourceElement, value));
    EXPECT_EQ(utf8, value);
}

TEST_F(SettingsFile, AFailedWriteLeavesTheOldFileWhole)
{
    ASSERT_TRUE(save(kPlatformWindowIdElement, "1234"));
    const std::string before = bytes();
    const struct {
        bool failWrite, failReplace;
    } cases[] = {{true, false}, {false, true}};
    for (const auto& c : cases) {
        EXPECT_FALSE(SaveSettingElement(access(c.failWrite, c.failReplace), kLoginSourceElement, "KV"))
            << c.failWrite;
        EXPECT_EQ(before, bytes()) << c.failWrite;
        EXPECT_EQ(nullptr, std::fopen(replacement().c_str(), "rb")) << "no sibling is left behind";
    }
    EXPECT_TRUE(save(kLoginSourceElement, "KV")) << "later saves still work";
}

TEST_F(SettingsFile, NestingBeyondTheLimitReadsAsNotXml)
{
    auto nested = [](int levels, const std::string& inner) {
        std::string text;
        for (int i = 0; i < levels; ++i)
            text += "<a>";
        text += inner;
        for (int i = 0; i < levels; ++i)
            text += "</a>";
        return text;
    };
    const struct {
        std::string content;
        bool readable;
    } cases[] = {
        {nested(kMaxSettingsNesting - 1, "<kvwindowid>7</kvwindowid>"), true},
        {nested(kMaxSettingsNesting, "<kvwindowid>7</kvwindowid>"), false},
        // Deep enough to exhaust the stack of a reader that recurses freely.
        {nested(200000, ""), false},
        // Markup that nests nothing does not count.
        {"<settings><!--" + nested(100, "") + "--><![CDATA[" + nested(100, "") + "]]><x a='" +
             nested(100, "") + "'/><kvwindowid>7</kvwindowid></settings>",
         true},
    };
    for (const auto& c : cases) {
        write(c.content);
        std::string value;
        // Only the root's own children are read; a deeper kvwindowid counts
        // only for whether the file reads at all.
        EXPECT_EQ(c.readable, SaveSettingElement(access(), kLoginSourceElement, "KV")) << c.content.size();
        if (!c.readable) {
            EXPECT_EQ(c.content, bytes());
        }
        EXPECT_EQ(c.readable, load(kLoginSourceElement, value)) << c.content.size();
    }
}

TEST(XmlNestingDepth, CountsElementsAsTheReaderSeesThem)
{
    const struct {
        const char* text;
        int depth;
    } cases[] = {
        {"", 0},
        {"<a/>", 0},
        {"<a><b/><c></c></a>", 2},
        {"<?xml version=\"1.0\"?><!DOCTYPE a><a><!-- <b><c> --></a>", 1},
        {"<a x=\"/>\" y='>'><b>", 2},
        {"<a><_b><\xe7\x8e\xa9>", 3},
        {"<a>< b><1>", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.depth, XmlNestingDepth(c.text, 10)) << c.text;
    EXPECT_EQ(4, XmlNestingDepth("<a><a><a><a><a><a>", 3));
}
