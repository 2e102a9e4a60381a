// The skin archive as the program carries it: the test executable links the
// same resource objects as zelk_main, plus two broken ZIPRES resources of its
// own (131 not a zip, 132 empty).  The archive is process-wide and stays open,
// so the test that needs it closed comes first; ctest runs each in a process
// of its own anyway.
#include "win/SkinArchive_win.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr UINT kSkinArchiveId = 130;
constexpr UINT kNotAZipId = 131;
constexpr UINT kEmptyId = 132;
constexpr UINT kMissingId = 139;

HINSTANCE Self() { return GetModuleHandleW(nullptr); }

bool StartsWith(const std::vector<unsigned char>& bytes, const std::string& prefix)
{
    return bytes.size() >= prefix.size() && std::string(bytes.begin(), bytes.begin() + prefix.size()) == prefix;
}

// The first element of a skin, past the prolog and comments.
std::string FirstElement(const std::vector<unsigned char>& bytes)
{
    const std::string text(bytes.begin(), bytes.end());
    size_t at = 0;
    while ((at = text.find('<', at)) != std::string::npos) {
        if (text.compare(at, 2, "<?") == 0) {
            at = text.find("?>", at);
        } else if (text.compare(at, 4, "<!--") == 0) {
            at = text.find("-->", at);
        } else {
            const size_t end = text.find_first_of(" \t\r\n/>", at + 1);
            return text.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1);
        }
        if (at == std::string::npos)
            break;
    }
    return {};
}

TEST(SkinArchive, BrokenOrMissingResourcesOpenNothing)
{
    ASSERT_FALSE(CSkinArchive::IsOpen());
    EXPECT_FALSE(CSkinArchive::OpenFromResource(Self(), kMissingId));
    EXPECT_FALSE(CSkinArchive::OpenFromResource(Self(), kNotAZipId));
    EXPECT_FALSE(CSkinArchive::OpenFromResource(Self(), kEmptyId));
    EXPECT_FALSE(CSkinArchive::IsOpen());

    std::vector<unsigned char> bytes{1, 2, 3};
    EXPECT_FALSE(CSkinArchive::ReadFile("GameLoader.xml", bytes));
    EXPECT_TRUE(bytes.empty());
}

TEST(SkinArchive, OpensOnceAndReusesTheOpenArchive)
{
    ASSERT_TRUE(CSkinArchive::OpenFromResource(Self(), kSkinArchiveId));
    EXPECT_TRUE(CSkinArchive::IsOpen());
    // Once "membuffer" is open, any further open answers at once from it,
    // even for a resource that is no archive at all.
    EXPECT_TRUE(CSkinArchive::OpenFromResource(Self(), kNotAZipId));
    EXPECT_TRUE(CSkinArchive::OpenFromResource(Self(), kSkinArchiveId));
    std::vector<unsigned char> bytes;
    EXPECT_TRUE(CSkinArchive::ReadFile("CustomMsgBox.xml", bytes));
}

TEST(SkinArchive, EveryFileTheSkinsNameReadsBack)
{
    ASSERT_TRUE(CSkinArchive::OpenFromResource(Self(), kSkinArchiveId));
    const std::string png("\x89PNG\r\n\x1a\n", 8);
    const std::string jpeg("\xff\xd8\xff", 3);
    struct Case {
        const char* name;
        std::string signature;
    };
    const Case cases[] = {
        {"GameLoader.xml", ""}, {"CustomMsgBox.xml", ""},
        {"shadow.png", png}, {"gmin_normal.png", png}, {"gmin_hover.png", png},
        {"gclose_normal.png", png}, {"gclose_hover.png", png},
        {"gprogress_bk.png", png}, {"gprogress_fore.png", png},
        {"btn_close.png", png}, {"btn_close_hover.png", png},
        {"icon_warning.png", png}, {"confirm.png", png},
        {"pir_download_bk.jpg", jpeg}, {"marn_download_bk.jpg", jpeg}, {"wexo_download_bk.jpg", jpeg},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<unsigned char> bytes;
        ASSERT_TRUE(CSkinArchive::ReadFile(c.name, bytes));
        if (c.signature.empty())
            EXPECT_EQ(FirstElement(bytes), "Window");
        else
            EXPECT_TRUE(StartsWith(bytes, c.signature));
    }

    std::vector<unsigned char> bytes{1};
    EXPECT_FALSE(CSkinArchive::ReadFile("missing.png", bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_FALSE(CSkinArchive::ReadFile("", bytes));
    // Names compare exactly, as the skins spell them.
    EXPECT_FALSE(CSkinArchive::ReadFile("SHADOW.PNG", bytes));
}

} // namespace
