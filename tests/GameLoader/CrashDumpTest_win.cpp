// The launcher's unhandled-exception filter, called as the system would
// call it, with a real context: the dump beside the log, its stream
// directory read back, the log line, and the exception handed on.
#include <windows.h>
#include <dbghelp.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "Common/Text.h"
#include "Main/CrashDump_win.h"
#include "support/Process_win.h"
#include "support/StandIns_win.h"

namespace {

struct DumpFile {
    std::string bytes;
    template <typename T>
    bool read(size_t offset, T& value) const
    {
        if (offset + sizeof value > bytes.size())
            return false;
        std::memcpy(&value, bytes.data() + offset, sizeof value);
        return true;
    }
};

std::wstring OnlyDumpIn(const std::wstring& folder)
{
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileW((folder + L"\\*.dmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return std::wstring();
    std::wstring name = found.cFileName;
    const bool more = FindNextFileW(search, &found) != FALSE;
    FindClose(search);
    return more ? L"<more than one>" : name;
}

LONG WINAPI EarlierFilter(EXCEPTION_POINTERS*) { return EXCEPTION_EXECUTE_HANDLER; }

}  // namespace

TEST(CrashDump, FileNameIsTheLogsWithTheTime)
{
    SYSTEMTIME at = {};
    at.wHour = 9, at.wMinute = 5, at.wSecond = 1;
    EXPECT_EQ("C:\\Log\\zelk_main.exe_2024_3_7_09_05_01.dmp", CrashDumpFileName("C:\\Log\\zelk_main.exe_2024_3_7.log", at));
    at.wHour = 23, at.wMinute = 59, at.wSecond = 58;
    EXPECT_EQ("zelk_main.exe_23_59_58.dmp", CrashDumpFileName("zelk_main.exe", at));
}

TEST(CrashDump, WritesADumpBesideTheLogLogsOneLineAndHandsTheExceptionOn)
{
    const std::wstring folder = MakeTempFolder(L"zelk_crash_dump");
    const std::string logName = WideToMultiByte(folder, CP_ACP) + "\\zelk_main.exe_2026_12_11.log";
    const LPTOP_LEVEL_EXCEPTION_FILTER before = SetUnhandledExceptionFilter(&EarlierFilter);
    InstallCrashDump(logName);

    CONTEXT context = {};
    RtlCaptureContext(&context);
    EXCEPTION_RECORD record = {};
    record.ExceptionCode = EXCEPTION_ACCESS_VIOLATION;
    record.ExceptionAddress = reinterpret_cast<void*>(context.Eip);
    record.NumberParameters = 2;
    record.ExceptionInformation[1] = 0x10;
    EXCEPTION_POINTERS pointers = {&record, &context};
    const size_t logBefore = ReadFileBytes(TestLogFile()).size();

    // Handed on to the filter installed before; only the first call writes.
    EXPECT_EQ(EXCEPTION_EXECUTE_HANDLER, CrashDumpFilter(&pointers));
    EXPECT_EQ(EXCEPTION_EXECUTE_HANDLER, CrashDumpFilter(&pointers));
    SetUnhandledExceptionFilter(before);

    const std::wstring name = OnlyDumpIn(folder);
    ASSERT_EQ(0u, name.find(L"zelk_main.exe_2026_12_11_")) << WideToMultiByte(name, CP_UTF8);
    ASSERT_EQ(std::wstring(L"zelk_main.exe_2026_12_11_hh_mm_ss.dmp").size(), name.size());
    DumpFile dump{ReadFileBytes(folder + L"\\" + name)};
    MINIDUMP_HEADER header = {};
    ASSERT_TRUE(dump.read(0, header));
    EXPECT_EQ("MDMP", dump.bytes.substr(0, 4));
    std::set<ULONG32> streams;
    for (ULONG32 i = 0; i < header.NumberOfStreams; ++i) {
        MINIDUMP_DIRECTORY entry = {};
        ASSERT_TRUE(dump.read(header.StreamDirectoryRva + i * sizeof entry, entry)) << i;
        ASSERT_LE(size_t(entry.Location.Rva) + entry.Location.DataSize, dump.bytes.size()) << entry.StreamType;
        streams.insert(entry.StreamType);
        if (entry.StreamType == ExceptionStream) {
            MINIDUMP_EXCEPTION_STREAM exception = {};
            ASSERT_TRUE(dump.read(entry.Location.Rva, exception));
            EXPECT_EQ(GetCurrentThreadId(), exception.ThreadId);
            EXPECT_EQ(static_cast<ULONG32>(EXCEPTION_ACCESS_VIOLATION), exception.ExceptionRecord.ExceptionCode);
        }
    }
    // The thread-information stream that MiniDumpWithThreadInfo asks for is
    // not written by Wine's dbghelp here, so it is not required.
    for (ULONG32 expected : {ThreadListStream, ModuleListStream, ExceptionStream, SystemInfoStream})
        EXPECT_EQ(1u, streams.count(expected)) << expected;

    const std::string log = ReadFileBytes(TestLogFile()).substr(logBefore);
    const std::string line = "unhandled exception 0xC0000005 at 0x";
    ASSERT_NE(std::string::npos, log.find(line)) << log;
    EXPECT_EQ(std::string::npos, log.find(line, log.find(line) + 1)) << "one line only\n" << log;
    EXPECT_NE(std::string::npos, log.find(", minidump " + WideToMultiByte(folder, CP_ACP) + "\\" + WideToMultiByte(name, CP_ACP)))
        << log;
}
