#include "GameLoaderWnd/GameCommandLine.h"

#include <gtest/gtest.h>

namespace {

LaunchParams Params(const std::wstring& source, const std::wstring& token)
{
    LaunchParams params;
    params.source = source;
    params.token = token;
    return params;
}

}  // namespace

TEST(GameCommandLine, PiecesInOrderOnlyWithValues)
{
    LaunchParams all = Params(L"KV", L"abc");
    all.winid = L"999";  // the platform window is never passed on
    all.tokenLogin = L"1";
    all.kvext = L"ext";
    all.gameMgrId = L"1234";
    all.typeMode = L"1";
    all.instGamePath = L"D:\\Games";
    all.cacheGamePath = L"E:\\Cache\\";
    LaunchParams managed = Params(L"KV", L"t");
    managed.tokenLogin = L"1";
    managed.gameMgrId = L"1234";

    const struct {
        LaunchParams params;
        const wchar_t* line;
    } cases[] = {
        {Params(L"KV", L"abc"), L"--source=KV --token=abc"},
        {Params(L"", L"abc"), L"--source= --token=\"abc\""},
        {Params(L"kv", L"abc"), L"--source=kv --token=\"abc\""},
        {Params(L"", L""), L"--source="},
        {managed, L"--source=KV --tokenLogin=1 --token=t --winid=1234"},
        {all, L"--source=KV --tokenLogin=1 --token=abc --kvext=ext --winid=1234 --typeMode=1 "
              L"--instGamePath=D:\\Games --cacheGamePath=E:\\Cache\\"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.line, MakeGameCommandLine(c.params));
}

TEST(GameCommandLine, ValuesThatWouldSplitAreQuoted)
{
    LaunchParams paths = Params(L"KV", L"t");
    paths.instGamePath = L"C:\\Program Files (x86)\\";
    paths.kvext = L"a\\\"b";
    const struct {
        LaunchParams params;
        const wchar_t* line;
    } cases[] = {
        {Params(L"KV", L"a --typeMode=2"), L"--source=KV --token=\"a --typeMode=2\""},
        {Params(L"KV", L"a\tb"), L"--source=KV --token=\"a\tb\""},
        {Params(L"", L"x\" --winid=\"5"), L"--source= --token=\"x\\\" --winid=\\\"5\""},
        {Params(L"", L"C:\\t\\"), L"--source= --token=\"C:\\t\\\\\""},
        {Params(L"", L"a\\\\b"), L"--source= --token=\"a\\\\b\""},
        {Params(L"K V", L"t"), L"--source=\"K V\" --token=\"t\""},
        {paths, L"--source=KV --token=t --kvext=\"a\\\\\\\"b\" "
                L"--instGamePath=\"C:\\Program Files (x86)\\\\\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.line, MakeGameCommandLine(c.params));
}
