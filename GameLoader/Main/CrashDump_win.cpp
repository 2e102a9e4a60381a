#include "Main/CrashDump_win.h"

#include <dbghelp.h>

#include <atomic>
#include <cstdio>

#include "Common/Text.h"
#include "Log/Log.h"
#include "common/win/ScopedHandles.h"

namespace {

// Set at start, before any other thread runs; read by the filter.
std::string g_logFileName;
LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter = nullptr;
// Several threads may fault at once: one writes, the others hand on.
std::atomic<bool> g_dumping{false};

const MINIDUMP_TYPE kDumpType = static_cast<MINIDUMP_TYPE>(MiniDumpNormal | MiniDumpWithThreadInfo);

void WriteDumpAndLog(EXCEPTION_POINTERS* exception)
{
    const DWORD code = exception && exception->ExceptionRecord ? exception->ExceptionRecord->ExceptionCode : 0;
    const void* address = exception && exception->ExceptionRecord ? exception->ExceptionRecord->ExceptionAddress : nullptr;
    if (g_logFileName.empty())
        return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    const std::string path = CrashDumpFileName(g_logFileName, now);
    ScopedFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD error = file.valid() ? 0 : GetLastError();
    if (file.valid()) {
        MINIDUMP_EXCEPTION_INFORMATION information = {};
        information.ThreadId = GetCurrentThreadId();
        information.ExceptionPointers = exception;
        information.ClientPointers = FALSE;
        if (!MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), file.get(), kDumpType,
                               exception ? &information : nullptr, nullptr, nullptr)) {
            error = GetLastError();
            file.reset();
            DeleteFileA(path.c_str());
        }
    }
    wchar_t what[64];
    std::swprintf(what, 64, L"0x%08lX at 0x%p", static_cast<unsigned long>(code), address);
    if (error == 0)
        LOG_CALL(0, L"unhandled exception " << what << L", minidump " << AnsiToWide(path));
    else
        LOG_CALL(0, L"unhandled exception " << what << L", no minidump " << AnsiToWide(path) << L" code:" << error);
}

}  // namespace

std::string CrashDumpFileName(const std::string& logFileName, const SYSTEMTIME& now)
{
    std::string base = logFileName;
    const std::string extension = ".log";
    if (base.size() >= extension.size() && base.compare(base.size() - extension.size(), extension.size(), extension) == 0)
        base.erase(base.size() - extension.size());
    char time[32];
    std::snprintf(time, sizeof time, "_%02u_%02u_%02u.dmp", now.wHour, now.wMinute, now.wSecond);
    return base + time;
}

void InstallCrashDump(const std::string& logFileName)
{
    g_logFileName = logFileName;
    g_dumping = false;
    const LPTOP_LEVEL_EXCEPTION_FILTER previous = SetUnhandledExceptionFilter(&CrashDumpFilter);
    // Installed twice, the filter must not hand on to itself.
    if (previous != &CrashDumpFilter)
        g_previousFilter = previous;
}

LONG WINAPI CrashDumpFilter(EXCEPTION_POINTERS* exception)
{
    if (!g_dumping.exchange(true)) {
        // The process is going down already: nothing may escape from here.
        try {
            WriteDumpAndLog(exception);
        } catch (...) {
        }
    }
    return g_previousFilter ? g_previousFilter(exception) : EXCEPTION_CONTINUE_SEARCH;
}
