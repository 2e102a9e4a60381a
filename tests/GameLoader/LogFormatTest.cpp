#include "Log/LogFormat.h"

#include <gtest/gtest.h>

namespace {
LogTime At(int year, int month, int day, int hour, int minute, int second, int ms)
{
    LogTime t;
    t.year = year;
    t.month = month;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    t.milliseconds = ms;
    return t;
}
}  // namespace

TEST(LogFormat, MillisecondsArePaddedWithSpaces)
{
    EXPECT_EQ("2024-03-07 09:05:01.  7", FormatLogTimestamp(At(2024, 3, 7, 9, 5, 1, 7)));
    EXPECT_EQ("2024-03-07 09:05:01. 42", FormatLogTimestamp(At(2024, 3, 7, 9, 5, 1, 42)));
    EXPECT_EQ("2024-12-31 23:59:59.999", FormatLogTimestamp(At(2024, 12, 31, 23, 59, 59, 999)));
}

TEST(LogFormat, BaseNameTable)
{
    const std::pair<std::string, std::string> cases[] = {
        {"a\\b\\c", "c"},
        {"c", "c"},
        {"\\c", "\\c"},  // the only backslash is the first character
        {"GameLoader\\Main\\Main_win.cpp", "Main_win.cpp"},
        {"dir\\", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.second, LogBaseName(c.first)) << c.first;
}

TEST(LogFormat, WholeLine)
{
    EXPECT_EQ("2024-03-07 09:05:01. 42 [Main<54>wWinMain] : CreateMutex not ERROR_ALREADY_EXISTS:zelk_main.exe",
              FormatLogLine(At(2024, 3, 7, 9, 5, 1, 42), "src\\Main", 54, "wWinMain",
                            "CreateMutex not ERROR_ALREADY_EXISTS:zelk_main.exe"));
}

TEST(LogFormat, FileNamePerDayWithoutLeadingZeros)
{
    EXPECT_EQ("C:\\Log\\zelk_main.exe_2024_3_7.log", LogFileName("C:\\Log\\zelk_main.exe", At(2024, 3, 7, 0, 0, 0, 0)));
    EXPECT_EQ("x_2025_12_31.log", LogFileName("x", At(2025, 12, 31, 23, 0, 0, 0)));
}

TEST(LogFormat, QualifiedFunctionNameTable)
{
    const std::pair<const char*, std::string> cases[] = {
        {"int wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)", "wWinMain"},
        {"bool GameLoaderWnd::ParseCmdJson()", "GameLoaderWnd::ParseCmdJson"},
        {"void {anonymous}::Flush(const std::string&)", "Flush"},
        {"ParseCmdParam(std::wstring&)::<lambda(int, const std::wstring&)>", "ParseCmdParam"},
        {"int {anonymous}::Box::Get() const", "Box::Get"},
        {"static Logger& Logger::instance()", "Logger::instance"},
        {"std::vector<int, std::allocator<int> > Ns::Make(int)", "Ns::Make"},
        {"Ns::Box<int, char>::Box(int)", "Ns::Box<int, char>::Box"},
        {"plain", "plain"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.second, QualifiedFunctionName(c.first)) << c.first;
}

TEST(LogFormat, QualifiedNameOfThisCompilersSignature)
{
    struct Probe {
        static std::string Name() { return QualifiedFunctionName(__PRETTY_FUNCTION__); }
    };
    EXPECT_NE(std::string::npos, Probe::Name().find("Probe::Name"));
}
