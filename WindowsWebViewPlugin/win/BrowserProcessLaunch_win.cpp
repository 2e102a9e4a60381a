// The launcher thread of the Windows bridge: the browser
// executable's place, its command line, its start in a job, and the relay
// of its output into the engine's log.
#include "win/WindowsPluginToChromiumBridge_win.h"

#include <vector>

#include "engine/EngineCallbacks.h"
#include "engine/GraphicsManager.h"
#include "win/WindowsBridgeState_win.h"

using namespace bridge_win;

namespace {

constexpr wchar_t kBrowserExecutable[] = L"TelvioWebViewChromium\\Telvio WebView.telvio";

bool fileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// An address inside this module, so that its file (the plug-in's DLL, not
// the host program) can be found.
void moduleMarker() {}

}  // namespace

std::string WindowsPluginToChromiumBridge::getBrowserExecutablePath() const {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&moduleMarker), &module);
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    std::wstring folder(path, length);
    const size_t slash = folder.rfind(L'\\');
    folder = slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash + 1);

    const std::wstring candidate1 = folder + kBrowserExecutable;
    if (fileExists(candidate1)) return narrow(candidate1);
    const std::wstring candidate2 = folder + L"..\\" + kBrowserExecutable;
    if (fileExists(candidate2)) return narrow(candidate2);
    logError(
        "[WindowsPluginToChromiumBridge] The \"Telvio WebView\" executable isn't in either of the expected "
        "locations that were checked. Expected location for compiled app: \"" +
        narrow(candidate1) + "\" . Expected location for the editor: \"" + narrow(candidate2) + "\".");
    return narrow(candidate1);
}

std::string WindowsPluginToChromiumBridge::getBrowserCommandLine() const {
    std::vector<std::string> elements;
    elements.push_back("\"" + getBrowserExecutablePath() + "\"");
    for (std::string& argument : getCommandLineArguments()) elements.push_back(std::move(argument));
    elements.push_back("--telvio-pipe-name=" + pipeName);
    // Lets the browser process open the shared textures on the engine's adapter.
    if (const uint32_t deviceId = GraphicsManager::getGraphicsDeviceId())
        elements.push_back("--telvio-graphics-device-id=" + std::to_string(deviceId));
    std::string commandLine;
    for (const std::string& element : elements) {
        if (!commandLine.empty()) commandLine += ' ';
        commandLine += element;
    }
    return commandLine;
}

// The launcher thread.  Starting the browser process may fail; then the
// plug-in resets (non-quietly, so the engine hears that nothing runs)
// instead of ending the game.
void WindowsPluginToChromiumBridge::runBrowserProcess() {
    const std::shared_ptr<SharedState> shared = state;
    const auto startFailed = [this] { host.terminationFinished(this); };

    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) {
        logError("CreatePipe failed");
        startFailed();
        return;
    }
    ScopedHandle relayReadEnd(readEnd);
    {
        std::lock_guard<std::mutex> lock(shared->relayMutex);
        shared->relayWriteEnd.reset(writeEnd);
    }
    if (!SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0)) {
        logError("SetHandleInformation failed");
        startFailed();
        return;
    }

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;

    const std::string commandLine = getBrowserCommandLine();
    std::wstring buffer = wide(commandLine);
    buffer.push_back(L'\0');

    // The job holds the browser process and everything it starts; closing
    // its last handle (also when this process dies) ends them all.  Without
    // the kill-on-close limit a job would only get in the way: the browser
    // process then runs without one.
    ScopedHandle job(CreateJobObjectW(nullptr, nullptr));
    if (job.valid()) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (!SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
            logError("[WindowsPluginToChromiumBridge] SetInformationJobObject failed: " +
                     std::to_string(GetLastError()) + "; the browser process runs without a job");
            job.reset();
        }
    } else {
        logError("[WindowsPluginToChromiumBridge] CreateJobObject failed: " + std::to_string(GetLastError()) +
                 "; the browser process runs without a job");
    }

    if (shared->stopping) return;
    PROCESS_INFORMATION processInformation{};
    // Started suspended so that it is in the job before it can start a
    // child of its own.
    if (!processCalls().createProcess(nullptr, buffer.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                                      nullptr, &startup, &processInformation)) {
        const DWORD error = GetLastError();
        logError("[WindowsPluginToChromiumBridge] CreateProcess failed. Last error: " + std::to_string(error) +
                 ", command line: " + commandLine);
        startFailed();
        return;
    }
    ScopedHandle process(processInformation.hProcess);
    ScopedHandle primaryThread(processInformation.hThread);
    if (job.valid() && !processCalls().assignProcessToJobObject(job.get(), process.get())) {
        logError("[WindowsPluginToChromiumBridge] AssignProcessToJobObject failed: " +
                 std::to_string(GetLastError()) + "; the browser process runs without a job");
        job.reset();
    }
    {
        // Known before the process runs, so that the pipe server can tell
        // its connection from anybody else's.
        std::lock_guard<std::mutex> lock(shared->relayMutex);
        shared->browserProcessId = processInformation.dwProcessId;
        shared->job.reset(job.release());
    }
    if (processCalls().resumeThread(primaryThread.get()) == static_cast<DWORD>(-1)) {
        // A browser process that never runs would hold every message back
        // for ever: end it and fail the start as a missing executable does.
        logError("[WindowsPluginToChromiumBridge] ResumeThread failed: " + std::to_string(GetLastError()) +
                 ", command line: " + commandLine);
        TerminateProcess(process.get(), 1);
        {
            std::lock_guard<std::mutex> lock(shared->relayMutex);
            shared->browserProcessId = 0;
            shared->job.reset();
        }
        startFailed();
        return;
    }
    {
        std::lock_guard<std::mutex> lock(shared->relayMutex);
        shared->browserProcess.reset(process.release());
        shared->browserThread.reset(primaryThread.release());
    }

    // The plug-in keeps its own write end open, so the read never sees the
    // end of the data; the shutdown wakes this thread instead.
    char chunk[kRelayReadBytes];
    while (!shared->stopping) {
        DWORD bytes = 0;
        if (!ReadFile(readEnd, chunk, kRelayReadBytes, &bytes, nullptr) || bytes == 0) {
            if (!shared->stopping) Sleep(1);  // never spin on a read that keeps failing
            continue;
        }
        if (shared->stopping) break;
        logInfo("[Chromium stdout] : " + std::string(chunk, bytes));
    }
}

