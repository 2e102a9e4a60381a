#include "Log/Log.h"
#include "Log/Logger.h"

#include <windows.h>
#include <share.h>
#include <shlobj.h>
#include <wtsapi32.h>

#include <algorithm>

#include "Common/Text.h"

namespace {

std::string g_pathDir;  // set once by the entry, before any thread logs

class WindowsLoggerPlatform : public LoggerPlatform {
public:
    bool createTestFile(const std::string& path) override
    {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        CloseHandle(file);
        DeleteFileA(path.c_str());
        return true;
    }

    bool consoleUserDocuments(std::string& folder) override
    {
        const DWORD session = WTSGetActiveConsoleSessionId();
        if (session == 0xFFFFFFFF)
            return false;
        // Querying another session's token needs the TCB privilege, which a
        // launcher started by a user does not hold; then there is no fallback.
        HANDLE token = nullptr;
        if (!WTSQueryUserToken(session, &token))
            return false;
        wchar_t documents[MAX_PATH] = {};
        const HRESULT hr = SHGetFolderPathW(nullptr, CSIDL_PERSONAL, token, SHGFP_TYPE_CURRENT, documents);
        CloseHandle(token);
        folder = SUCCEEDED(hr) ? WideToMultiByte(documents, CP_THREAD_ACP) : std::string();
        return true;
    }

    bool directoryExists(const std::string& path) override
    {
        const DWORD attributes = GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    std::string moduleBaseName() override
    {
        wchar_t path[MAX_PATH] = {};
        const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
        if (length == 0)
            return std::string();
        std::wstring name(path, length);
        const std::wstring::size_type slash = name.find_last_of(L"\\/");
        if (slash != std::wstring::npos)
            name.erase(0, slash + 1);
        return WideToMultiByte(name, CP_THREAD_ACP);
    }

    LogTime localTime() override
    {
        SYSTEMTIME now;
        GetLocalTime(&now);
        LogTime time;
        time.year = now.wYear;
        time.month = now.wMonth;
        time.day = now.wDay;
        time.hour = now.wHour;
        time.minute = now.wMinute;
        time.second = now.wSecond;
        time.milliseconds = now.wMilliseconds;
        return time;
    }

    std::FILE* openAppend(const std::string& fileName) override
    {
        return _fsopen(fileName.c_str(), "a", _SH_DENYNO);
    }

    void writeStderr(const std::string& text) override
    {
        std::fwrite(text.data(), 1, text.size(), stderr);
        std::fflush(stderr);
    }

    void writeDebugger(const std::string& text) override { OutputDebugStringA(text.c_str()); }
};

}  // namespace

std::unique_ptr<LoggerPlatform> MakeWindowsLoggerPlatform() { return std::make_unique<WindowsLoggerPlatform>(); }

void Logger::initializePathDir(const std::string& folder) { g_pathDir = folder; }

Logger& Logger::instance()
{
    static Logger logger(MakeWindowsLoggerPlatform(), g_pathDir);
    return logger;
}

void LogCall(int level, const char* sourceFile, int line, const char* prettyFunction,
             const std::wstring& message)
{
    // The build records source paths with forward slashes; the log's
    // base-name rule works on backslashes, as the paths of a Windows build have.
    std::string file = sourceFile ? sourceFile : "";
    std::replace(file.begin(), file.end(), '/', '\\');
    Logger::instance().write(level, file, line, QualifiedFunctionName(prettyFunction),
                             WideToMultiByte(message, CP_THREAD_ACP));
}
