// The writes of the Windows bridge: one overlapped record and
// event per writing thread, each write waited for.
#include "win/WindowsPluginToChromiumBridge_win.h"

#include "engine/EngineCallbacks.h"
#include "text/Utf.h"
#include "win/WindowsBridgeState_win.h"

using namespace bridge_win;

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

