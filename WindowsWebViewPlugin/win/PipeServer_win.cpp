// The pipe server thread of the Windows bridge: the pipe, the
// check of its client, and the reader that hands each message on.
#include "win/WindowsPluginToChromiumBridge_win.h"

#include <vector>

#include "engine/EngineCallbacks.h"
#include "text/Utf.h"
#include "win/WindowsBridgeState_win.h"

using namespace bridge_win;

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
// `clientId` gets the client's process id (0 when it cannot be had).
bool WindowsPluginToChromiumBridge::isOwnClient(HANDLE pipe, ULONG& clientId) {
    clientId = 0;
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
    return own;
}

// The server thread.  Holds its own reference to the shared state: when a
// message it handles resets the plug-in, the bridge may be destroyed under
// it, and from then on only the state is touched.
void WindowsPluginToChromiumBridge::runPipeServer() {
    const std::shared_ptr<SharedState> shared = state;
    const std::wstring name = wide(pipeName);
    // The first instance, and the only one: no other server holds the name
    // before us or adds an instance of its own after us (where the browser
    // process might connect to it), and no client from another machine.
    HANDLE pipe = CreateNamedPipeW(name.c_str(),
                                   PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                   PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
                                   1, kPipeBufferBytes, kPipeBufferBytes, 0, nullptr);
    if (pipe == INVALID_HANDLE_VALUE) {
        logError("CreateNamedPipe failed");
        return;
    }
    shared->pipeHandle = pipe;

    OVERLAPPED readOverlapped{};
    readOverlapped.hEvent = shared->readEvent.get();
    // Until a client connects that is our browser process; any other is
    // dropped and the pipe listens again.  The first refusal is logged with
    // its process id; a client that keeps trying is counted, not logged each
    // time, and the count is logged once the browser process is connected.
    uint64_t refused = 0;
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
        ULONG clientId = 0;
        if (isOwnClient(pipe, clientId)) break;
        if (refused++ == 0)
            logError("[WindowsPluginToChromiumBridge] A pipe client that is not the browser process was refused; "
                     "process id " + std::to_string(clientId));
        DisconnectNamedPipe(pipe);
    }
    if (refused > 1)
        logError("[WindowsPluginToChromiumBridge] " + std::to_string(refused - 1) +
                 " more pipe clients that were not the browser process were refused");

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
            // Completed at once: the count comes from the record (the
            // argument is not reliable for an overlapped read that returns a
            // partial message), and the event is signalled as well; clear it
            // so that the next wait waits for its own read.
            GetOverlappedResult(pipe, &readOverlapped, &bytes, FALSE);
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

