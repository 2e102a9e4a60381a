// Shared by the files of the Windows bridge: its limits, the state its
// threads share, the writer's write record and small helpers.
#pragma once
#include "win/WindowsPluginToChromiumBridge_win.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

namespace bridge_win {

constexpr DWORD kReadBufferBytes = 2097152;
constexpr DWORD kPipeBufferBytes = 1048576;
constexpr DWORD kRelayReadBytes = 4096;

std::wstring wide(const std::string& text);
std::string narrow(const std::wstring& text);
// An automatic-reset, unsignalled, unnamed event; null after logging
// "CreateEvent failed".
HANDLE createEvent();

}  // namespace bridge_win

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
    // The writer's texts are converted here; it grows to the longest message
    // written (at most one pipe message) and is kept.
    std::u16string conversion;
};

// What a thread of the bridge is started with.
struct BridgeThreadStart {
    std::shared_ptr<WindowsPluginToChromiumBridge::SharedState> state;
    WindowsPluginToChromiumBridge* bridge;
    BridgeHost* host;  // outlives the bridge
};
