#include "CIeBrowserUI/PortalUrl.h"

#include <gtest/gtest.h>

TEST(PortalUrl, QueryMembersInTheirOrderWhenNotEmpty)
{
    const std::wstring base = L"https://portal.test/client/index/zelk";
    LaunchParams empty;
    EXPECT_EQ(base + L"?fileparam=", MakePortalUrl(base, empty));

    LaunchParams tokenOnly;
    tokenOnly.bagFileParam = L"bag";
    tokenOnly.token = L"abc";
    EXPECT_EQ(base + L"?fileparam=bag&token=abc", MakePortalUrl(base, tokenOnly));

    // Values go in raw: kvext carries members of its own.
    LaunchParams all;
    all.token = L"t";
    all.source = L"KV";
    all.kvext = L"a=1&b=2 c";
    all.tokenLogin = L"0";
    all.winid = L"99";
    EXPECT_EQ(base + L"?fileparam=&token=t&source=KV&kvext=a=1&b=2 c&tokenLogin=0", MakePortalUrl(base, all));

    LaunchParams sourceOnly;
    sourceOnly.source = L"KV";
    EXPECT_EQ(base + L"?x=1&fileparam=&source=KV", MakePortalUrl(base + L"?x=1", sourceOnly));
}

TEST(PortalUrl, BaseIsThePortalPathOnTheBuildsHost)
{
    EXPECT_EQ(std::wstring(L"https://") + PortalHost() + L"/client/index/zelk", PortalBaseUrl());
    EXPECT_TRUE(IsUrlOnHost(PortalBaseUrl(), PortalHost()));
}

TEST(PortalUrl, HostOfAnAddress)
{
    const std::wstring host = L"portal.test";
    const struct {
        const wchar_t* url;
        bool onHost;
    } cases[] = {
        {L"https://portal.test/client/index/zelk?fileparam=", true},
        {L"HTTPS://Portal.Test/other/page", true},
        {L"https://portal.test", true},
        {L"https://portal.test:443/x", true},
        {L"https://portal.test:0443/x", true},
        {L"https://portal.test:/x", true},
        {L"https://portal.test:8443/client/index/zelk", false},
        {L"https://portal.test:80/", false},
        {L"https://portal.test:443x/", false},
        {L"https://portal.test:65979/", false},
        {L"https://user:pw@portal.test/", true},
        {L"https://portal.test./x", true},
        {L"https://portal.test?x", true},
        {L"http://portal.test/client/index/zelk", false},
        {L"https://portal.test.evil.example/", false},
        {L"https://evilportal.test/", false},
        {L"https://portal.test@evil.example/", false},
        {L"https://evil.example/?https://portal.test/", false},
        {L"https://evil.example\\@portal.test/", false},
        {L"https://evil.example#@portal.test", false},
        {L"about:blank", false},
        {L"", false},
        {L"res://ieframe.dll/dnserror.htm#https://portal.test/", false},
    };
    for (const auto& entry : cases)
        EXPECT_EQ(entry.onHost, IsUrlOnHost(entry.url, host)) << entry.url;
    EXPECT_FALSE(IsUrlOnHost(L"https://portal.test/", L""));
}

TEST(PortalUrl, PartsOfAnAddress)
{
    const struct {
        const wchar_t* url;
        bool split;
        const wchar_t* scheme;
        bool authority;
        const wchar_t* userInfo;
        const wchar_t* host;
        const wchar_t* port;
        const wchar_t* rest;
    } cases[] = {
        {L"https://u:p@Host.test:8443/a?b#c", true, L"https", true, L"u:p", L"Host.test", L"8443", L"/a?b#c"},
        {L"http://[::1]:80/x", true, L"http", true, L"", L"[::1]", L"80", L"/x"},
        {L"http://[::1]x/", false, L"", false, L"", L"", L"", L""},
        {L"http://a\\b/c", true, L"http", true, L"", L"a", L"", L"\\b/c"},
        {L"file:///C:/x.bat", true, L"file", true, L"", L"", L"", L"/C:/x.bat"},
        {L"javascript:alert(1)", true, L"javascript", false, L"", L"", L"", L"alert(1)"},
        {L"C:\\x.bat", false, L"", false, L"", L"", L"", L""},
        {L"\\\\server\\share\\x.bat", false, L"", false, L"", L"", L"", L""},
        {L"/relative", false, L"", false, L"", L"", L"", L""},
        {L" http://x/", false, L"", false, L"", L"", L"", L""},
        {L"1http://x/", false, L"", false, L"", L"", L"", L""},
    };
    for (const auto& entry : cases) {
        UrlParts parts;
        ASSERT_EQ(entry.split, SplitUrl(entry.url, parts)) << entry.url;
        if (!entry.split)
            continue;
        EXPECT_EQ(entry.scheme, parts.scheme) << entry.url;
        EXPECT_EQ(entry.authority, parts.hasAuthority) << entry.url;
        EXPECT_EQ(entry.userInfo, parts.userInfo) << entry.url;
        EXPECT_EQ(entry.host, parts.host) << entry.url;
        EXPECT_EQ(entry.port, parts.port) << entry.url;
        EXPECT_EQ(entry.rest, parts.rest) << entry.url;
    }
}

TEST(PortalUrl, OnlyWebAddressesGoToTheDefaultBrowser)
{
    const struct {
        std::wstring url;
        std::wstring opened;  // empty: nothing is opened
    } cases[] = {
        {L"https://shop.example/item?id=1#top", L"https://shop.example/item?id=1#top"},
        {L"HTTP://Shop.Example:8080", L"http://Shop.Example:8080"},
        {L"http://[2001:db8::1]/", L"http://[2001:db8::1]/"},
        {L"https://user@shop.example/", L"https://user@shop.example/"},
        // What a command line or the shell could read otherwise is encoded.
        {L"https://shop.example/a b\"c<d>", L"https://shop.example/a%20b%22c%3Cd%3E"},
        {L"https://shop.example/x\" C:\\evil.bat", L"https://shop.example/x%22%20C:/evil.bat"},
        {L"https://shop.example\\path?q=\\", L"https://shop.example/path?q=%5C"},
        {L"https://shop.example/\u5546\u57ce?\u533a=1", L"https://shop.example/%E5%95%86%E5%9F%8E?%E5%8C%BA=1"},
        {L"https://shop.example/\xD83D\xDE00", L"https://shop.example/%F0%9F%98%80"},
        {L"https://shop.example/\xD83D", L"https://shop.example/%EF%BF%BD"},
        {L"https://\u4f8b\u5b50.example/", L"https://\u4f8b\u5b50.example/"},
        // Everything else opens nothing.
        {L"file:///C:/users/x/open.bat", L""},
        {L"FILE://server/share/open.bat", L""},
        {L"C:\\users\\x\\open.bat", L""},
        {L"\\\\server\\share\\open.bat", L""},
        {L"open.bat", L""},
        {L"javascript:alert(1)", L""},
        {L"mailto:a@b.example", L""},
        {L"ms-settings:privacy", L""},
        {L"steam://run/1", L""},
        {L"res://ieframe.dll/dnserror.htm", L""},
        {L"about:blank", L""},
        {L"http:shop.example", L""},
        {L"http:\\\\shop.example\\", L""},
        {L"http:///path", L""},
        {L"https://", L""},
        {L" https://shop.example/", L""},
        {L"https://shop.example/\npath", L""},
        {L"https://shop.example/\tpath", L""},
        {std::wstring(L"https://shop.example/\0file:///C:/x.bat", 36), L""},
        {L"https://shop\"example/", L""},
        {L"https://shop.example:80a/", L""},
        {L"https://shop.example:123456/", L""},
        {L"https://a\"b@shop.example/", L""},
        {L"https://shop.example%20.evil/", L""},
        {L"http://[::1]]/", L""},
        {L"", L""},
    };
    for (const auto& entry : cases) {
        EXPECT_EQ(entry.opened, BrowserUrlForPopup(entry.url)) << entry.url;
        // What is opened is judged the same way again.
        if (!entry.opened.empty()) {
            EXPECT_EQ(entry.opened, BrowserUrlForPopup(entry.opened)) << entry.url;
        }
    }
}

TEST(PortalUrl, TokenValuesAreMaskedForTheLog)
{
    const struct {
        const wchar_t* url;
        const wchar_t* logged;
    } cases[] = {
        {L"https://p.test/client/index/zelk?fileparam=&token=abcdef123&source=KV",
         L"https://p.test/client/index/zelk?fileparam=&token=<9 chars>&source=KV"},
        {L"https://p.test/?token=abc", L"https://p.test/?token=<3 chars>"},
        {L"https://p.test/?TOKEN=abc&tokenLogin=1", L"https://p.test/?TOKEN=<3 chars>&tokenLogin=1"},
        {L"https://p.test/#token=secret", L"https://p.test/#token=<6 chars>"},
        {L"https://p.test/?a=1#x&token=", L"https://p.test/?a=1#x&token=<0 chars>"},
        {L"https://p.test/?mytoken=abc&token", L"https://p.test/?mytoken=abc&token"},
        {L"https://p.test/token=abc", L"https://p.test/token=abc"},
        {L"", L""},
    };
    for (const auto& entry : cases)
        EXPECT_EQ(entry.logged, MaskTokenInUrl(entry.url)) << entry.url;
}
