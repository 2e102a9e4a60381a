// zelk_main.exe started with an exit notice while the platform-client
// stand-in runs (or does not): what reaches its window, and the exit code.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <vector>

#include "GameLoader/PlatformNotice_win.h"
#include "Settings/LocalSettings.h"
#include "support/Process_win.h"
#include "support/StandIns_win.h"

namespace {

struct ReceivedRecord {
    unsigned long dataId = 0;
    unsigned long size = 0;
    std::vector<unsigned char> bytes;

    std::int32_t intAt(size_t offset) const
    {
        std::int32_t value = 0;
        for (int i = 3; i >= 0; --i)
            value = (value << 8) | bytes.at(offset + static_cast<size_t>(i));
        return value;
    }
};

std::vector<ReceivedRecord> ParseRecords(const std::string& text)
{
    std::vector<ReceivedRecord> records;
    std::istringstream lines(text);
    std::string kind, hex;
    ReceivedRecord record;
    while (lines >> kind) {
        if (kind != "copydata") {
            std::getline(lines, hex);
            continue;
        }
        lines >> record.dataId >> record.size >> hex;
        record.bytes.clear();
        for (size_t i = 0; i + 1 < hex.size(); i += 2)
            record.bytes.push_back(static_cast<unsigned char>(std::stoul(hex.substr(i, 2), nullptr, 16)));
        records.push_back(record);
    }
    return records;
}

struct LauncherRun {
    bool ended = false;
    DWORD exitCode = 0;
    bool sawWindow = false;
};

BOOL CALLBACK AnyWindowOf(HWND window, LPARAM lParam)
{
    auto* probe = reinterpret_cast<std::pair<DWORD, bool>*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == probe->first) {
        probe->second = true;
        return FALSE;
    }
    return TRUE;
}

// Runs the launcher with `argument` as its one argument and watches, until
// it ends, whether it ever has a top-level window.
LauncherRun RunLauncher(const std::wstring& argument, DWORD timeoutMs = 20000)
{
    LauncherRun run;
    RunningProcess launcher(QuotedStandIn(L"" ZELK_MAIN_EXE) + L" " + argument);
    if (!launcher.started())
        return run;
    std::pair<DWORD, bool> probe(launcher.id(), false);
    const DWORD start = GetTickCount();
    while (!(run.ended = launcher.waitForExit(5, &run.exitCode)) && GetTickCount() - start < timeoutMs)
        EnumWindows(&AnyWindowOf, reinterpret_cast<LPARAM>(&probe));
    run.sawWindow = probe.second;
    return run;
}

class ExitNotice : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_records = MakeTempFolder(L"zelk_exit_notice") + L"\\records.txt";
        m_client = std::make_unique<RunningProcess>(QuotedStandIn(L"Korvane.exe") + L" \"" + m_records + L"\"");
        ASSERT_TRUE(m_client->started());
        m_clientWindow = WaitForProcessWindow(m_client->id(), L"Korvane", 20000);
        ASSERT_NE(nullptr, m_clientWindow);
    }
    void TearDown() override
    {
        if (m_client) {
            PostMessageW(m_clientWindow, WM_CLOSE, 0, 0);
            m_client->waitForExit(5000);
        }
    }

    // The settings as a normal run leaves them.
    void RegisterWindow(const std::wstring& loginSource, const std::wstring& windowId)
    {
        ASSERT_TRUE(SaveLoginSource(loginSource, m_settings.path()));
        ASSERT_TRUE(SavePlatformWindowId(windowId, m_settings.path()));
    }
    std::wstring ClientWindowId() const
    {
        return std::to_wstring(static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(m_clientWindow)));
    }
    std::vector<ReceivedRecord> Received() const { return ParseRecords(ReadFileBytes(m_records)); }

    SettingsFileGuard m_settings;
    std::wstring m_records;
    std::unique_ptr<RunningProcess> m_client;
    HWND m_clientWindow = nullptr;
};

void ExpectOneNotice(const std::vector<ReceivedRecord>& records, std::int32_t gameId, const std::string& what)
{
    ASSERT_EQ(1u, records.size()) << what;
    const ReceivedRecord& record = records[0];
    EXPECT_EQ(1u, record.dataId) << what;
    EXPECT_EQ(528u, record.size) << what;
    ASSERT_EQ(528u, record.bytes.size()) << what;
    EXPECT_EQ(gameId, record.intAt(0)) << what;
    EXPECT_EQ('1', record.bytes[4]) << what;
    for (size_t i = 5; i < 524; ++i)
        ASSERT_EQ(0, record.bytes[i]) << what << " byte " << i;
    EXPECT_EQ(1, record.intAt(524)) << what;
}

}  // namespace

TEST_F(ExitNotice, DeliveredToTheRegisteredWindow)
{
    RegisterWindow(L"KV", ClientWindowId());
    const LauncherRun run = RunLauncher(L"\"{\\\"type\\\":1,\\\"game_id\\\":42}\"");
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_FALSE(run.sawWindow);
    ExpectOneNotice(Received(), 42, "json");
}

TEST_F(ExitNotice, TheRegisteredWindowIsUsedOnlyWithALoginSource)
{
    // A second platform client whose window the fallback search cannot
    // find by title: only the settings lead to it.
    const std::wstring otherRecords = m_records + L".registered";
    RunningProcess registered(QuotedStandIn(L"Korvane.exe") + L" \"" + otherRecords + L"\" \"Korvane registered\"");
    HWND registeredWindow = WaitForProcessWindow(registered.id(), L"Korvane registered", 20000);
    ASSERT_NE(nullptr, registeredWindow);
    const std::wstring registeredId =
        std::to_wstring(static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(registeredWindow)));

    RegisterWindow(L"KV", registeredId);
    LauncherRun run = RunLauncher(L"\"{\\\"type\\\":1,\\\"game_id\\\":5}\"");
    EXPECT_EQ(0u, run.exitCode);
    ExpectOneNotice(ParseRecords(ReadFileBytes(otherRecords)), 5, "registered window");
    EXPECT_TRUE(Received().empty());

    DeleteFileW(otherRecords.c_str());
    RegisterWindow(L"", registeredId);
    run = RunLauncher(L"\"{\\\"type\\\":1,\\\"game_id\\\":6}\"");
    EXPECT_EQ(0u, run.exitCode);
    ExpectOneNotice(Received(), 6, "fallback");
    EXPECT_TRUE(ReadFileBytes(otherRecords).empty());

    PostMessageW(registeredWindow, WM_CLOSE, 0, 0);
    registered.waitForExit(5000);
}

TEST_F(ExitNotice, LiteralFormsCarryGameIdZero)
{
    RegisterWindow(L"KV", ClientWindowId());
    for (const char* literal : {"type:1", "{type:1}"}) {
        DeleteFileW(m_records.c_str());
        const size_t logBefore = ReadFileBytes(LauncherLogFile()).size();
        const LauncherRun run = RunLauncher(std::wstring(literal, literal + strlen(literal)));
        ASSERT_TRUE(run.ended);
        EXPECT_EQ(0u, run.exitCode);
        ExpectOneNotice(Received(), 0, literal);
        const std::string log = ReadFileBytes(LauncherLogFile()).substr(logBefore);
        for (const std::string& line : {"IsGameExit] : IsGameExit:" + std::string(literal) + "\r\n",
                                        "IsGameExit] : reader.parse:" + std::string(literal) + " false\r\n",
                                        std::string("IsGameExit] : get type:1\r\n"),
                                        "IsGameExit] : game exit notify:" + std::string(literal) + "\r\n"})
            EXPECT_NE(std::string::npos, log.find(line)) << line << "\nin:\n" << log;
    }
}

TEST_F(ExitNotice, FallbackFindsTheRunningPlatformClient)
{
    // No login source stored: the registered window is not used.  And a
    // registered window id that names no window.
    const struct {
        const wchar_t* loginSource;
        const wchar_t* windowId;
    } cases[] = {{L"", L"1"}, {L"KV", L"not a number"}, {L"KV", L"4294967296"}};
    for (const auto& c : cases) {
        DeleteFileW(m_records.c_str());
        RegisterWindow(c.loginSource, c.windowId);
        const LauncherRun run = RunLauncher(L"\"{\\\"type\\\":1,\\\"game_id\\\":7}\"");
        ASSERT_TRUE(run.ended);
        EXPECT_EQ(0u, run.exitCode);
        ExpectOneNotice(Received(), 7, "fallback");
    }
}

TEST_F(ExitNotice, TypeAsTextIsANormalStart)
{
    RegisterWindow(L"KV", ClientWindowId());
    RunningProcess launcher(QuotedStandIn(L"" ZELK_MAIN_EXE) + L" \"{\\\"type\\\":\\\"1\\\"}\"");
    HWND window = WaitForProcessWindow(launcher.id(), L"Zelkmar", 20000);
    ASSERT_NE(nullptr, window);
    PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD exitCode = 99;
    EXPECT_TRUE(launcher.waitForExit(10000, &exitCode));
    EXPECT_EQ(0u, exitCode);
    EXPECT_TRUE(Received().empty());
}

TEST_F(ExitNotice, NoPlatformClientEndsWithOneHundredAndNoWindow)
{
    RegisterWindow(L"KV", ClientWindowId());
    PostMessageW(m_clientWindow, WM_CLOSE, 0, 0);
    ASSERT_TRUE(m_client->waitForExit(10000));
    m_client.reset();

    const LauncherRun run = RunLauncher(L"\"{\\\"type\\\":1,\\\"game_id\\\":42}\"");
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(100u, run.exitCode);
    EXPECT_FALSE(run.sawWindow);
}

TEST_F(ExitNotice, AHungRegisteredWindowCountsAsNotDelivered)
{
    // The registered platform client takes the record and then stops
    // answering; the notice gives up on it and the fallback delivers.
    const std::wstring hungRecords = m_records + L".hung";
    RunningProcess hung(QuotedStandIn(L"Korvane.exe") + L" \"" + hungRecords + L"\" \"Korvane hung\" hang");
    HWND hungWindow = WaitForProcessWindow(hung.id(), L"Korvane hung", 20000);
    ASSERT_NE(nullptr, hungWindow);
    RegisterWindow(L"KV", std::to_wstring(static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(hungWindow))));

    const DWORD start = GetTickCount();
    const LauncherRun run = RunLauncher(L"\"{\\\"type\\\":1,\\\"game_id\\\":9}\"", 40000);
    std::printf("exit notice with a hung platform client: %lu ms (limit %u ms)\n",
                static_cast<unsigned long>(GetTickCount() - start), kPlatformNoticeTimeoutMs);
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_EQ(1u, ParseRecords(ReadFileBytes(hungRecords)).size()) << "it was sent there first";
    ExpectOneNotice(Received(), 9, "fallback after the hung window");
}

TEST(PlatformNotice, AHungReceiverIsGivenUpAfterTheLimit)
{
    const std::wstring records = MakeTempFolder(L"zelk_hung_notice") + L"\\records.txt";
    RunningProcess hung(QuotedStandIn(L"Korvane.exe") + L" \"" + records + L"\" \"Korvane hung\" hang");
    HWND window = WaitForProcessWindow(hung.id(), L"Korvane hung", 20000);
    ASSERT_NE(nullptr, window);
    const PlatformNoticeRecord record = MakePlatformNoticeRecord(1);
    const UINT limitMs = 500;

    const DWORD start = GetTickCount();
    EXPECT_FALSE(SendPlatformNotice(window, record, limitMs)) << "the first record hangs its receiver";
    EXPECT_FALSE(SendPlatformNotice(window, record, limitMs)) << "nor a second one";
    std::printf("two notices to a hung receiver: %lu ms (limit %u ms each)\n",
                static_cast<unsigned long>(GetTickCount() - start), limitMs);
    EXPECT_EQ(1u, ParseRecords(ReadFileBytes(records)).size());
}

TEST_F(ExitNotice, ABusyPlatformClientIsToldOnce)
{
    // The registered window is also the one the fallback finds: a platform
    // client that answers its first record only after 4.5 s.
    PostMessageW(m_clientWindow, WM_CLOSE, 0, 0);
    ASSERT_TRUE(m_client->waitForExit(10000));
    m_client = std::make_unique<RunningProcess>(QuotedStandIn(L"Korvane.exe") + L" \"" + m_records + L"\" Korvane busy");
    m_clientWindow = WaitForProcessWindow(m_client->id(), L"Korvane", 20000);
    ASSERT_NE(nullptr, m_clientWindow);
    RegisterWindow(L"KV", ClientWindowId());

    const LauncherRun run = RunLauncher(L"\"{\\\"type\\\":1,\\\"game_id\\\":11}\"", 40000);
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(0u, run.exitCode);
    // Time for a second notice, had one been sent, to arrive.
    Sleep(500);
    ExpectOneNotice(Received(), 11, "busy platform client");
}
