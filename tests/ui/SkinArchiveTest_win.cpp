// The skin archive as the program carries it: the test executable links the
// same resource objects as zelk_main, plus two broken ZIPRES resources of its
// own (131 not a zip, 132 empty).  The archive is process-wide and stays open,
// so the test that needs it closed comes first; ctest runs each in a process
// of its own anyway.
#include "win/SkinArchive_win.h"

#include "common/win/ScopedHandles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
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

// The icon groups the windows set as their big and small icons.
TEST(SkinArchive, ProgramIconsLoadFromTheSameResources)
{
    for (const UINT id : {107u, 108u}) {
        SCOPED_TRACE(id);
        for (const int size : {16, 32, 48}) {
            const ScopedIcon icon(
                static_cast<HICON>(LoadImageW(Self(), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0)));
            EXPECT_NE(icon.get(), nullptr) << size;
        }
    }
}

// The program's archive as bytes, to damage copies of.
std::vector<unsigned char> ArchiveBytes()
{
    HRSRC resource = FindResourceW(Self(), MAKEINTRESOURCEW(kSkinArchiveId), L"ZIPRES");
    HGLOBAL loaded = resource ? LoadResource(Self(), resource) : nullptr;
    const auto* data = static_cast<const unsigned char*>(loaded ? LockResource(loaded) : nullptr);
    return data ? std::vector<unsigned char>(data, data + SizeofResource(Self(), resource))
                : std::vector<unsigned char>{};
}

uint32_t Get32(const std::vector<unsigned char>& zip, size_t at)
{
    uint32_t value = 0;
    std::memcpy(&value, zip.data() + at, 4);
    return value;
}

void Put32(std::vector<unsigned char>& zip, size_t at, uint32_t value) { std::memcpy(zip.data() + at, &value, 4); }

// Offset of the central directory record of `name` (signature PK\1\2; the
// name stands 46 bytes in, its length at 28).
size_t CentralRecord(const std::vector<unsigned char>& zip, const std::string& name)
{
    for (size_t at = 0; at + 46 + name.size() <= zip.size(); ++at) {
        if (Get32(zip, at) == 0x02014b50 && static_cast<size_t>(zip[at + 28] | zip[at + 29] << 8) == name.size()
            && std::memcmp(zip.data() + at + 46, name.data(), name.size()) == 0)
            return at;
    }
    return std::string::npos;
}

TEST(SkinArchive, DamagedEntriesReadAsNothing)
{
    const std::vector<unsigned char> original = ArchiveBytes();
    ASSERT_FALSE(original.empty());
    const std::string name = "GameLoader.xml";
    ASSERT_NE(CentralRecord(original, name), std::string::npos);

    struct Case {
        const char* what;
        std::function<void(std::vector<unsigned char>&)> damage;
    };
    const Case cases[] = {
        // Both headers agree on a CRC that the content does not have, so
        // only the check after reading can tell.
        {"wrong CRC", [&](std::vector<unsigned char>& zip) {
             const size_t central = CentralRecord(zip, name);
             const size_t local = Get32(zip, central + 42);
             Put32(zip, central + 16, Get32(zip, central + 16) ^ 1);
             Put32(zip, local + 14, Get32(zip, local + 14) ^ 1);
         }},
        // Believing this size would allocate 2 GiB in a 32-bit process.
        {"declared size beyond the cap", [&](std::vector<unsigned char>& zip) {
             const size_t central = CentralRecord(zip, name);
             const size_t local = Get32(zip, central + 42);
             Put32(zip, central + 24, 0x7ffffff0);
             Put32(zip, local + 22, 0x7ffffff0);
         }},
        {"compressed data overwritten", [&](std::vector<unsigned char>& zip) {
             const size_t central = CentralRecord(zip, name);
             const size_t local = Get32(zip, central + 42);
             const size_t data = local + 30 + (zip[local + 26] | zip[local + 27] << 8)
                                 + (zip[local + 28] | zip[local + 29] << 8);
             std::memset(zip.data() + data, 0xff, 64);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<unsigned char> zip = original;
        c.damage(zip);
        CMemoryZip archive;
        ASSERT_TRUE(archive.Open("damaged", zip.data(), zip.size()));
        std::vector<unsigned char> bytes{1};
        EXPECT_FALSE(archive.ReadFile(name, bytes));
        EXPECT_TRUE(bytes.empty());
        // The damage stays with its entry.
        EXPECT_TRUE(archive.ReadFile("CustomMsgBox.xml", bytes));
    }

    // Without its central directory (the end of the file) there is no archive.
    CMemoryZip truncated;
    EXPECT_FALSE(truncated.Open("truncated", original.data(), original.size() - 30));
    EXPECT_FALSE(truncated.IsOpen());
}

} // namespace
