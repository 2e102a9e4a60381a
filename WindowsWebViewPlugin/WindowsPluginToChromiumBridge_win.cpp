#include "WindowsPluginToChromiumBridge_win.h"

#include <process.h>
#include <rpc.h>

#include <cstdio>
#include <vector>

#include "EngineCallbacks.h"
#include "GraphicsManager.h"
#include "Plugin.h"
#include "Utf.h"

namespace {

ProcessLaunchCalls& processCallsSlot() {
    static ProcessLaunchCalls calls{&CreateProcessW, &AssignProcessToJobObject, &ResumeThread};
    return calls;
}

}  // namespace

const ProcessLaunchCalls& processCalls() { return processCallsSlot(); }
void setProcessLaunchCalls(const ProcessLaunchCalls& calls) { processCallsSlot() = calls; }

namespace {

constexpr DWORD kReadBufferBytes = 2097152;
constexpr DWORD kPipeBufferBytes = 1048576;
constexpr DWORD kRelayReadBytes = 4096;
constexpr wchar_t kBrowserExecutable[] = L"TelvioWebViewChromium\\Telvio WebView.telvio";

std::wstring wide(const std::string& text) {
    const std::u16string converted = utf8ToUtf16(text);
    return std::wstring(converted.begin(), converted.end());
}

std::string narrow(const std::wstring& text) {
    return utf16ToUtf8(std::u16string(text.begin(), text.end()));
}

HANDLE createEvent() {
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!event) logError("[WindowsPluginToChromiumBridge] CreateEvent failed");
    return event;
}

std::string newPipeName() {
    UUID uuid{};
    UuidCreate(&uuid);
    char text[37];
    std::snprintf(text, sizeof text, "%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x",
                  static_cast<unsigned long>(uuid.Data1), uuid.Data2, uuid.Data3, uuid.Data4[0], uuid.Data4[1],
                  uuid.Data4[2], uuid.Data4[3], uuid.Data4[4], uuid.Data4[5], uuid.Data4[6], uuid.Data4[7]);
    return std::string("\\\\.\\pipe\\com.telvio.webview.") + text;
}

bool fileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

struct WindowsPluginToChromiumBridge::SharedState {
    // Set by shutdown on any thread; the server and launcher threads end
    // their loops when they see it.
    std::atomic<bool> stopping{false};
    // Written once by the server thread; read by writers and the shutdown.
    std::atomic<HANDLE> pipeHandle{INVALID_HANDLE_VALUE};
    ScopedHandle readEvent;  // created before the threads start, signalled by the shutdown to wake the reader
    ScopedHandle serverThread;
    ScopedHandle launcherThread;
    DWORD serverThreadId = 0;
    DWORD launcherThreadId = 0;

    // Written by the launcher thread, read by the shutdown, under relayMutex.
    std::mutex relayMutex;
    ScopedHandle relayWriteEnd;
    ScopedHandle browserProcess;
    ScopedHandle browserThread;
    DWORD browserProcessId = 0;
    // Holds the browser process and everything it starts; closing the last
    // handle to it (also when this process dies) ends them all.
    ScopedHandle job;

    ~SharedState() {
        const HANDLE pipe = pipeHandle.load();
        if (pipe != INVALID_HANDLE_VALUE) CloseHandle(pipe);
    }
};

struct WindowsPluginToChromiumBridge::WriteRecord {
    OVERLAPPED overlapped{};
    ScopedHandle event;
    // The thread's texts are converted here; it grows to the longest message
    // the thread has written (at most one pipe message) and is kept.
    std::u16string conversion;
};

namespace {
struct ThreadStart {
    std::shared_ptr<WindowsPluginToChromiumBridge::SharedState> state;
    WindowsPluginToChromiumBridge* bridge;
};
}  // namespace

// Runs under the plug-in's lock: builds the name and nothing else.
WindowsPluginToChromiumBridge::WindowsPluginToChromiumBridge()
    : pipeName(newPipeName()), state(std::make_shared<SharedState>()) {}

WindowsPluginToChromiumBridge::~WindowsPluginToChromiumBridge() { shutdown(); }

bool WindowsPluginToChromiumBridge::start() {
    state->readEvent.reset(createEvent());
    unsigned id = 0;
    auto* server = new ThreadStart{state, this};
    state->serverThread.reset(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, serverThreadEntry, server, 0, &id)));
    state->serverThreadId = id;
    if (!state->serverThread.valid()) {
        delete server;
        logError("CreateThread failed");
        return false;
    }
    auto* launcher = new ThreadStart{state, this};
    state->launcherThread.reset(
        reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, launcherThreadEntry, launcher, 0, &id)));
    state->launcherThreadId = id;
    if (!state->launcherThread.valid()) {
        delete launcher;
        logError("CreateThread failed");
        return false;
    }
    return true;
}

unsigned __stdcall WindowsPluginToChromiumBridge::serverThreadEntry(void* argument) {
    std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(argument));
    const std::shared_ptr<SharedState> shared = start->state;
    markBridgeThread();
    try {
        start->bridge->runPipeServer();
    } catch (const std::exception& exception) {
        if (!shared->stopping) logError(std::string("[WindowsPluginToChromiumBridge] The pipe reader failed: ") + exception.what());
    } catch (...) {
        if (!shared->stopping) logError("[WindowsPluginToChromiumBridge] The pipe reader failed: unknown exception");
    }
    // A reader that ends on its own (disconnect, read failure, an exception)
    // leaves nobody to hear the browser process: reset as after a
    // termination, so the engine hears of it and the next create or cookie
    // command starts a fresh browser process.  The bridge may be destroyed
    // here, on its own thread; nothing below touches it.
    if (!shared->stopping) {
        try {
            resetPluginWhileInstance(start->bridge);
        } catch (...) {
        }
    }
    return 0;
}

unsigned __stdcall WindowsPluginToChromiumBridge::launcherThreadEntry(void* argument) {
    std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(argument));
    markBridgeThread();
    try {
        start->bridge->runBrowserProcess();
    } catch (const std::exception& exception) {
        try {
            logError(std::string("[WindowsPluginToChromiumBridge] The launcher thread failed: ") + exception.what());
        } catch (...) {
        }
    } catch (...) {
    }
    return 0;
}

namespace {

// Cancels an overlapped operation and waits until the system is done with
// its OVERLAPPED record and buffer: only then may either go away.  A wake-up
// of the event alone does not mean the operation has ended (the shutdown
// signals it too).
void cancelAndWait(HANDLE pipe, OVERLAPPED& overlapped) {
    CancelIoEx(pipe, &overlapped);
    while (!HasOverlappedIoCompleted(&overlapped)) {
        if (overlapped.hEvent)
            WaitForSingleObject(overlapped.hEvent, 10);
        else
            Sleep(1);
    }
}

enum class ReadResult { Message, MoreData, Stopped, Failed };

}  // namespace

// Whether the client of `pipe` is the browser process this bridge started,
// or a process of its job.  The browser process is started suspended and its
// id stored before it runs, so it can never connect before it is known.
bool WindowsPluginToChromiumBridge::isOwnClient(HANDLE pipe) {
    ULONG clientId = 0;
    if (!GetNamedPipeClientProcessId(pipe, &clientId)) {
        logError("[WindowsPluginToChromiumBridge] GetNamedPipeClientProcessId failed: " +
                 std::to_string(GetLastError()));
        return false;
    }
    bool own = false;
    {
        std::lock_guard<std::mutex> lock(state->relayMutex);
        own = clientId != 0 && clientId == state->browserProcessId;
        if (!own && state->job.valid()) {
            ScopedHandle client(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, clientId));
            BOOL inJob = FALSE;
            own = client.valid() && IsProcessInJob(client.get(), state->job.get(), &inJob) && inJob;
        }
    }
    if (!own)
        logError("[WindowsPluginToChromiumBridge] A pipe client that is not the browser process was refused; process id " +
                 std::to_string(clientId));
    return own;
}

// The server thread.  Holds its own reference to the shared state: when a
// message it handles resets the plug-in, the bridge may be destroyed under
// it, and from then on only the state is touched.
void WindowsPluginToChromiumBridge::runPipeServer() {
    const std::shared_ptr<SharedState> shared = state;
    const std::wstring name = wide(pipeName);
    // The first instance only, so that no other server holds the name before
    // us, and no client from another machine.
    HANDLE pipe = CreateNamedPipeW(name.c_str(),
                                   PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                   PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
                                   PIPE_UNLIMITED_INSTANCES, kPipeBufferBytes, kPipeBufferBytes, 0, nullptr);
    if (pipe == INVALID_HANDLE_VALUE) {
        logError("CreateNamedPipe failed");
        return;
    }
    shared->pipeHandle = pipe;

    OVERLAPPED readOverlapped{};
    readOverlapped.hEvent = shared->readEvent.get();
    // Until a client connects that is our browser process; any other is
    // dropped and the pipe listens again.
    for (;;) {
        if (shared->stopping) return;
        readOverlapped = OVERLAPPED{};
        readOverlapped.hEvent = shared->readEvent.get();
        if (!ConnectNamedPipe(pipe, &readOverlapped)) {
            const DWORD error = GetLastError();
            if (error == ERROR_PIPE_CONNECTED) {
                SetEvent(readOverlapped.hEvent);
            } else if (error == ERROR_IO_PENDING) {
                WaitForSingleObject(readOverlapped.hEvent, INFINITE);
                if (shared->stopping) {
                    cancelAndWait(pipe, readOverlapped);
                    return;
                }
            } else {
                logError("[WindowsPluginToChromiumBridge] ConnectNamedPipe returned an unexpected error: " +
                         std::to_string(error));
                return;
            }
        }
        ResetEvent(readOverlapped.hEvent);
        if (shared->stopping) return;
        if (isOwnClient(pipe)) break;
        DisconnectNamedPipe(pipe);
    }

    std::vector<char> buffer(kReadBufferBytes);  // one buffer for the thread's life
    // One overlapped read into the buffer, waited for.  Leaves no read
    // pending whatever it returns.
    const auto readOnce = [&](DWORD& bytes, DWORD& error) {
        bytes = 0;
        readOverlapped = OVERLAPPED{};
        readOverlapped.hEvent = shared->readEvent.get();
        BOOL ok = ReadFile(pipe, buffer.data(), kReadBufferBytes, &bytes, &readOverlapped);
        error = ok ? ERROR_SUCCESS : GetLastError();
        if (!ok && error == ERROR_IO_PENDING) {
            WaitForSingleObject(readOverlapped.hEvent, INFINITE);
            if (shared->stopping) {
                cancelAndWait(pipe, readOverlapped);
                return ReadResult::Stopped;
            }
            ok = GetOverlappedResult(pipe, &readOverlapped, &bytes, FALSE);
            error = ok ? ERROR_SUCCESS : GetLastError();
        } else if (ok || error == ERROR_MORE_DATA) {
            // Completed at once: the event is signalled as well; clear it so
            // that the next wait waits for its own read.
            ResetEvent(readOverlapped.hEvent);
        }
        if (ok) return ReadResult::Message;
        return error == ERROR_MORE_DATA ? ReadResult::MoreData : ReadResult::Failed;
    };

    while (!shared->stopping) {
        DWORD bytes = 0;
        DWORD error = ERROR_SUCCESS;
        ReadResult result = readOnce(bytes, error);
        if (result == ReadResult::MoreData) {
            // A message longer than the buffer: read the rest of it and drop
            // it whole.  One message is lost instead of the bridge.
            uint64_t dropped = bytes;
            while ((result = readOnce(bytes, error)) == ReadResult::MoreData) dropped += bytes;
            if (result == ReadResult::Message) {
                dropped += bytes;
                logError("[WindowsPluginToChromiumBridge] An incoming message of " + std::to_string(dropped) +
                         " bytes is longer than the read buffer of " + std::to_string(kReadBufferBytes) +
                         " bytes and was dropped.");
                continue;
            }
        }
        if (result == ReadResult::Stopped) break;
        if (result == ReadResult::Failed) {
            if (shared->stopping) break;
            if (error == ERROR_BROKEN_PIPE) {
                logError("Pipe client disconnected.");
            } else {
                logError("Pipe ReadFile failed.");
            }
            break;
        }
        if (shared->stopping) break;
        if (bytes == 0) continue;  // a message without even a terminator carries nothing

        const auto* units = reinterpret_cast<const char16_t*>(buffer.data());
        size_t length = 0;
        const size_t count = bytes / 2;
        while (length < count && units[length] != u'\0') ++length;
        const std::string text = utf16ToUtf8(std::u16string_view(units, length));
        handleIncomingMessage(text);  // may destroy the bridge: `this` is not used after it
    }
}

std::string WindowsPluginToChromiumBridge::getBrowserExecutablePath() const {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&newPipeName), &module);
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
    const auto startFailed = [this] { resetPluginWhileInstance(this); };

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

WindowsPluginToChromiumBridge::WriteRecord& WindowsPluginToChromiumBridge::writeRecordOfThisThread() {
    const DWORD thread = GetCurrentThreadId();
    {
        std::lock_guard<std::mutex> lock(writeMutex);
        const auto found = writeOverlappeds.find(thread);
        if (found != writeOverlappeds.end()) return *found->second;
    }
    // Made outside the lock: a failed event is logged, and no log line is
    // written under a plug-in lock.  Only this thread adds its own entry.
    auto record = std::make_unique<WriteRecord>();
    record->event.reset(createEvent());
    record->overlapped.hEvent = record->event.get();
    std::lock_guard<std::mutex> lock(writeMutex);
    std::unique_ptr<WriteRecord>& slot = writeOverlappeds[thread];
    if (!slot) slot = std::move(record);
    return *slot;
}

// Any thread; writes from different threads use different records, and each
// write waits for its own completion, so one thread's messages keep order.
void WindowsPluginToChromiumBridge::writePipeMessage(const std::u16string& messageWithTerminator) {
    writeUnits(writeRecordOfThisThread(), messageWithTerminator.data(), messageWithTerminator.size());
}

void WindowsPluginToChromiumBridge::writePipeText(std::string_view text) {
    WriteRecord& record = writeRecordOfThisThread();
    std::u16string& buffer = record.conversion;
    if (buffer.size() < text.size() + 1) buffer.resize(text.size() + 1);
    const size_t units = utf8ToUtf16(text, buffer.data());
    buffer[units] = u'\0';
    writeUnits(record, buffer.data(), units + 1);
}

void WindowsPluginToChromiumBridge::writeUnits(WriteRecord& record, const char16_t* units, size_t count) {
    const HANDLE pipe = state->pipeHandle.load();
    const auto bytes = static_cast<DWORD>(count * sizeof(char16_t));
    // A write that completed at once leaves the auto-reset event signalled;
    // clear it so that a pending write waits for itself.
    if (record.overlapped.hEvent) ResetEvent(record.overlapped.hEvent);
    DWORD written = 0;
    if (WriteFile(pipe, units, bytes, &written, &record.overlapped)) return;
    const DWORD error = GetLastError();
    if (error == ERROR_IO_PENDING) {
        DWORD transferred = 0;
        GetOverlappedResult(pipe, &record.overlapped, &transferred, TRUE);
    } else if (error == ERROR_PIPE_NOT_CONNECTED || error == ERROR_NO_DATA) {
        // A client that has closed its end shows as ERROR_NO_DATA ("the pipe
        // is being closed"); only a disconnect on our side gives
        // ERROR_PIPE_NOT_CONNECTED.  Both mean the browser process is gone.
        logInfo("[WindowsPluginToChromiumBridge] client disconnected");
    } else {
        logError("[WindowsPluginToChromiumBridge] WriteFile failed with error code: " + std::to_string(error));
    }
}

// Wakes each thread until it has ended, because a single wake can come
// before the thread has started the wait it is meant to end.  A thread that
// runs the shutdown itself is not waited for; it leaves its loop on
// `stopping` and touches only the shared state from then on.
void WindowsPluginToChromiumBridge::shutdown() {
    if (shutDown.exchange(true)) return;
    PluginToChromiumBridge::shutdown();
    const std::shared_ptr<SharedState> shared = state;
    shared->stopping = true;
    const DWORD self = GetCurrentThreadId();

    const auto pipe = [&] { return shared->pipeHandle.load(); };
    if (pipe() != INVALID_HANDLE_VALUE) {
        CancelIoEx(pipe(), nullptr);
        DisconnectNamedPipe(pipe());
    }
    if (shared->serverThread.valid() && shared->serverThreadId != self) {
        while (WaitForSingleObject(shared->serverThread.get(), 20) == WAIT_TIMEOUT) {
            if (pipe() != INVALID_HANDLE_VALUE) {
                CancelIoEx(pipe(), nullptr);
                DisconnectNamedPipe(pipe());
            }
            SetEvent(shared->readEvent.get());
        }
    } else {
        SetEvent(shared->readEvent.get());
    }

    if (shared->launcherThread.valid() && shared->launcherThreadId != self) {
        while (WaitForSingleObject(shared->launcherThread.get(), 0) == WAIT_TIMEOUT) {
            CancelSynchronousIo(shared->launcherThread.get());
            {
                std::lock_guard<std::mutex> lock(shared->relayMutex);
                DWORD written = 0;
                if (shared->relayWriteEnd.valid()) WriteFile(shared->relayWriteEnd.get(), "\n", 1, &written, nullptr);
            }
            WaitForSingleObject(shared->launcherThread.get(), 20);
        }
    }

    std::lock_guard<std::mutex> lock(shared->relayMutex);
    if (shared->browserProcess.valid()) {
        TerminateProcess(shared->browserProcess.get(), 0);
        shared->browserProcess.reset();
        shared->browserThread.reset();
    }
    shared->job.reset();
}

// Under the plug-in's lock: constructs only; start() runs outside it.
std::shared_ptr<PluginToChromiumBridge> createPlatformBridge() {
    return std::make_shared<WindowsPluginToChromiumBridge>();
}
