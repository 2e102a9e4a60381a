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
    void TearDown() override { std::remove(m_path.c_str()); }

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
    bool save(const char* element, const std::string& value) const
    {
        return SaveSettingElement(opener(), element, value);
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
