#pragma once
// The Windows half of the bridge: the named pipe with its server thread, the
// launcher thread that starts the browser process and relays its output, and
// the shutdown that ends both and the browser process.
#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "bridge/PluginToChromiumBridge.h"
#include "common/win/ScopedHandles.h"

// The three calls of the browser process's start whose failures the bridge
// handles; tests put failing ones in their place.
struct ProcessLaunchCalls {
    BOOL(WINAPI* createProcess)(LPCWSTR, LPWSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID,
                                LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION);
    BOOL(WINAPI* assignProcessToJobObject)(HANDLE, HANDLE);
    DWORD(WINAPI* resumeThread)(HANDLE);
};
const ProcessLaunchCalls& processCalls();
void setProcessLaunchCalls(const ProcessLaunchCalls& calls);  // tests only

class WindowsPluginToChromiumBridge : public PluginToChromiumBridge {
public:
    explicit WindowsPluginToChromiumBridge(BridgeHost& host);
    ~WindowsPluginToChromiumBridge() override;

    bool shouldQuoteArguments() const override { return true; }
    void shutdown() override;

    const std::string& getPipeName() const { return pipeName; }
    std::string getBrowserExecutablePath() const;
    // The whole command line: the quoted executable, the option elements and
    // the pipe name.
    std::string getBrowserCommandLine() const;

protected:
    // Keeps the plug-in's module loaded for good, then starts the pipe server
    // thread and the launcher thread; false after logging "CreateThread
    // failed".
    bool startTransport() override;
    bool writePipeMessage(const std::u16string& messageWithTerminator) override;
    bool writePipeText(std::string_view text) override;
    void cancelPendingWrite() override;

public:
    // What the bridge's threads read and the shutdown writes; shared with the
    // threads so that it outlives the bridge when the bridge is destroyed on
    // one of them.  Handles are closed when the last owner lets go.
    struct SharedState;

private:
    struct WriteRecord;
    static unsigned __stdcall serverThreadEntry(void* argument);
    static unsigned __stdcall launcherThreadEntry(void* argument);
    void runPipeServer();
    bool isOwnClient(HANDLE pipe, ULONG& clientId);
    void runBrowserProcess();
    bool writeUnits(const char16_t* units, size_t count);

    const std::string pipeName;
    std::shared_ptr<SharedState> state;
    std::atomic<bool> shutDown{false};

    // The writer thread's only: one pipe has one writer, so one overlapped
    // record and event serve every write.
    std::unique_ptr<WriteRecord> writeRecord;
};
