// Runs under both the 1252 and the 936 ANSI code page (see CMakeLists.txt).
#include <windows.h>

#include <gtest/gtest.h>

#include "Common/Text.h"

TEST(Text, EmptyTextStaysEmpty)
{
    EXPECT_EQ(L"", AnsiToWide(""));
    EXPECT_EQ("", WideToMultiByte(L"", CP_ACP));
    EXPECT_EQ("", WideToMultiByte(L"", CP_UTF8));
}

TEST(Text, RoundTripsInTheSystemCodePage)
{
    std::vector<std::wstring> texts = {L"zelk_main.exe", L"--source=KV", std::wstring(300, L'x')};
    if (GetACP() == 936) {
        texts.push_back(L"\u9ed1\u591c\u4f20\u8bf4");  // Chinese text survives GBK
        std::wstring longChinese;
        for (int i = 0; i < 300; ++i)
            longChinese += (i % 2) ? L"\u4e2d" : L"a";
        texts.push_back(longChinese);
    } else {
        ASSERT_EQ(1252u, GetACP());
        texts.push_back(L"caf\u00e9 \u00fcber");
    }
    for (const std::wstring& text : texts) {
        const std::string narrow = WideToMultiByte(text, CP_ACP);
        EXPECT_EQ(text, AnsiToWide(narrow));
    }
}

TEST(Text, ThreeHundredCharactersConvertWhole)
{
    const std::string narrow(300, 'q');
    const std::wstring wide = AnsiToWide(narrow);
    EXPECT_EQ(300u, wide.size());
    EXPECT_EQ(std::wstring(300, L'q'), wide);
    EXPECT_EQ(narrow, WideToMultiByte(wide, CP_ACP));
}

TEST(Text, CharactersOutsideTheCodePageBecomeTheDefaultCharacter)
{
    // U+4E2D exists in 936 but not in 1252; U+0E01 (Thai) exists in neither.
    const std::string narrow = WideToMultiByte(L"a\u0e01b", CP_ACP);
    EXPECT_EQ("a?b", narrow);
}

TEST(Text, ExplicitCodePagesAreHonoured)
{
    EXPECT_EQ("\xe4\xb8\xad", WideToMultiByte(L"\u4e2d", CP_UTF8));
    EXPECT_EQ("\xd6\xd0", WideToMultiByte(L"\u4e2d", 936));
}
