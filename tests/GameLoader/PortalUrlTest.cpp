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
