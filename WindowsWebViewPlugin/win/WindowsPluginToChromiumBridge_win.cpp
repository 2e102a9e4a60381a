// The Windows bridge as an owner: construction, the start of its two
// threads, their entries and the shutdown that ends them and the browser
// process.  The pipe server is in PipeServer_win.cpp, the launch and relay
// in BrowserProcessLaunch_win.cpp, the writes in PipeWrites_win.cpp.
#include "win/WindowsPluginToChromiumBridge_win.h"

#include <process.h>
#include <rpc.h>

#include <cstdio>

#include "bridge/PlatformBridge.h"
#include "engine/EngineCallbacks.h"
#include "text/Utf.h"
#include "win/WindowsBridgeState_win.h"

using namespace bridge_win;

namespace {

ProcessLaunchCalls& processCallsSlot() {
    static ProcessLaunchCalls calls{&CreateProcessW, &AssignProcessToJobObject, &ResumeThread};
    return calls;
}

}  // namespace

const ProcessLaunchCalls& processCalls() { return processCallsSlot(); }
void setProcessLaunchCalls(const ProcessLaunchCalls& calls) { processCallsSlot() = calls; }

namespace {

std::string newPipeName() {
    UUID uuid{};
    UuidCreate(&uuid);
    char text[37];
    std::snprintf(text, sizeof text, "%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x",
                  static_cast<unsigned long>(uuid.Data1), uuid.Data2, uuid.Data3, uuid.Data4[0], uuid.Data4[1],
                  uuid.Data4[2], uuid.Data4[3], uuid.Data4[4], uuid.Data4[5], uuid.Data4[6], uuid.Data4[7]);
    return std::string("\\\\.\\pipe\\com.telvio.webview.") + text;
}

}  // namespace

namespace bridge_win {

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

}  // namespace bridge_win

// Runs under the plug-in's lock: builds the name and nothing else.
WindowsPluginToChromiumBridge::WindowsPluginToChromiumBridge(BridgeHost& host)
    : PluginToChromiumBridge(host), pipeName(newPipeName()), state(std::make_shared<SharedState>()) {}

WindowsPluginToChromiumBridge::~WindowsPluginToChromiumBridge() { shutdown(); }

namespace {

// An address inside this module.
void moduleMarker() {}

// The bridge's threads, the heartbeat and the watchdog run this module's
// code; the engine may free the library while any of them runs.  Pinned, the
// module stays until the process ends, and no static destructor of ours runs
// at FreeLibrary (under the loader lock, where a thread could not be joined).
void keepModuleLoaded() {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                            reinterpret_cast<LPCWSTR>(&moduleMarker), &module))
        logError("[WindowsPluginToChromiumBridge] GetModuleHandleEx failed: " + std::to_string(GetLastError()));
}

}  // namespace

bool WindowsPluginToChromiumBridge::startTransport() {
    keepModuleLoaded();
    writeRecord = std::make_unique<WriteRecord>();
    writeRecord->event.reset(createEvent());
    writeRecord->overlapped.hEvent = writeRecord->event.get();
    state->readEvent.reset(createEvent());
    unsigned id = 0;
    auto* server = new BridgeThreadStart{state, this, &host};
    state->serverThread.reset(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, serverThreadEntry, server, 0, &id)));
    state->serverThreadId = id;
    if (!state->serverThread.valid()) {
        delete server;
        logError("CreateThread failed");
        return false;
    }
    auto* launcher = new BridgeThreadStart{state, this, &host};
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
    std::unique_ptr<BridgeThreadStart> start(static_cast<BridgeThreadStart*>(argument));
    const std::shared_ptr<SharedState> shared = start->state;
    start->host->markBridgeThread();
    try {
        start->bridge->runPipeServer();
    } catch (const std::exception& exception) {
        try {
            if (!shared->stopping)
                logError(std::string("[WindowsPluginToChromiumBridge] The pipe reader failed: ") + exception.what());
        } catch (...) {
        }
    } catch (...) {
        try {
            if (!shared->stopping) logError("[WindowsPluginToChromiumBridge] The pipe reader failed: unknown exception");
        } catch (...) {
        }
    }
    // A reader that ends on its own (disconnect, read failure, an exception)
    // leaves nobody to hear the browser process: reset as after a
    // termination, so the engine hears of it and the next create or cookie
    // command starts a fresh browser process.  The bridge may be destroyed
    // here, on its own thread; nothing below touches it.
    if (!shared->stopping) {
        try {
            start->host->terminationFinished(start->bridge);
        } catch (...) {
        }
    }
    return 0;
}

unsigned __stdcall WindowsPluginToChromiumBridge::launcherThreadEntry(void* argument) {
    std::unique_ptr<BridgeThreadStart> start(static_cast<BridgeThreadStart*>(argument));
    const std::shared_ptr<SharedState> shared = start->state;
    start->host->markBridgeThread();
    bool failed = false;
    try {
        start->bridge->runBrowserProcess();
    } catch (const std::exception& exception) {
        failed = true;
        try {
            logError(std::string("[WindowsPluginToChromiumBridge] The launcher thread failed: ") + exception.what());
        } catch (...) {
        }
    } catch (...) {
        failed = true;
        try {
            logError("[WindowsPluginToChromiumBridge] The launcher thread failed: unknown exception");
        } catch (...) {
        }
    }
    // A launch that failed half-way leaves no browser process to report
    // itself ready, and every message held back: reset as a start that
    // fails does.  The bridge may be destroyed here; nothing below touches it.
    if (failed && !shared->stopping) {
        try {
            start->host->terminationFinished(start->bridge);
        } catch (...) {
        }
    }
    return 0;
}

// Wakes each thread until it has ended, because a single wake can come
// before the thread has started the wait it is meant to end.  A thread that
// runs the shutdown itself is not waited for; it leaves its loop on
// `stopping` and touches only the shared state from then on.
void WindowsPluginToChromiumBridge::shutdown() {
    if (shutDown.exchange(true)) return;
    const std::shared_ptr<SharedState> shared = state;
    shared->stopping = true;
    const DWORD self = GetCurrentThreadId();

    const auto pipe = [&] { return shared->pipeHandle.load(); };
    if (pipe() != INVALID_HANDLE_VALUE) {
        CancelIoEx(pipe(), nullptr);
        DisconnectNamedPipe(pipe());
    }
    // The writer first: its pending write is cancelled until it has ended.
    PluginToChromiumBridge::shutdown();
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
            // A byte of our own wakes the read where the cancel does not.
            // Written outside relayMutex: with the relay pipe full, this write
            // waits for the launcher thread to read, which may be about to
            // take relayMutex itself.  The write end lives as long as the
            // shared state, which this thread holds.
            HANDLE writeEnd = nullptr;
            {
                std::lock_guard<std::mutex> lock(shared->relayMutex);
                if (shared->relayWriteEnd.valid()) writeEnd = shared->relayWriteEnd.get();
            }
            DWORD written = 0;
            if (writeEnd && WaitForSingleObject(shared->launcherThread.get(), 0) == WAIT_TIMEOUT)
                WriteFile(writeEnd, "\n", 1, &written, nullptr);
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
std::shared_ptr<PluginToChromiumBridge> createPlatformBridge(BridgeHost& host) {
    return std::make_shared<WindowsPluginToChromiumBridge>(host);
}

