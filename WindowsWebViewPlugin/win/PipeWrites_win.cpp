// The writes of the Windows bridge, made by its one writer thread: one
// overlapped record and event, each write waited for.
#include "win/WindowsPluginToChromiumBridge_win.h"

#include "engine/EngineCallbacks.h"
#include "text/Utf.h"
#include "win/WindowsBridgeState_win.h"

using namespace bridge_win;

bool WindowsPluginToChromiumBridge::writePipeMessage(const std::u16string& messageWithTerminator) {
    return writeUnits(messageWithTerminator.data(), messageWithTerminator.size());
}

bool WindowsPluginToChromiumBridge::writePipeText(std::string_view text) {
    std::u16string& buffer = writeRecord->conversion;
    if (buffer.size() < text.size() + 1) buffer.resize(text.size() + 1);
    const size_t units = utf8ToUtf16(text, buffer.data());
    buffer[units] = u'\0';
    return writeUnits(buffer.data(), units + 1);
}

// Any thread, during shutdown.  The record lives as long as the bridge, and
// the shutdown waits for the writer before it goes.
void WindowsPluginToChromiumBridge::cancelPendingWrite() {
    const HANDLE pipe = state->pipeHandle.load();
    if (pipe != INVALID_HANDLE_VALUE) CancelIoEx(pipe, &writeRecord->overlapped);
}

bool WindowsPluginToChromiumBridge::writeUnits(const char16_t* units, size_t count) {
    WriteRecord& record = *writeRecord;
    const HANDLE pipe = state->pipeHandle.load();
    const auto bytes = static_cast<DWORD>(count * sizeof(char16_t));
    // A write that completed at once leaves the auto-reset event signalled;
    // clear it so that a pending write waits for itself.
    if (record.overlapped.hEvent) ResetEvent(record.overlapped.hEvent);
    DWORD written = 0;
    BOOL ok = WriteFile(pipe, units, bytes, &written, &record.overlapped);
    DWORD error = ok ? ERROR_SUCCESS : GetLastError();
    if (!ok && error == ERROR_IO_PENDING) {
        // The shutdown cancels this wait through cancelPendingWrite.
        ok = GetOverlappedResult(pipe, &record.overlapped, &written, TRUE);
        error = ok ? ERROR_SUCCESS : GetLastError();
    }
    if (ok) return true;
    if (state->stopping || error == ERROR_OPERATION_ABORTED) return false;
    if (error == ERROR_PIPE_NOT_CONNECTED || error == ERROR_NO_DATA || error == ERROR_BROKEN_PIPE) {
        // A client that has closed its end shows as ERROR_NO_DATA ("the pipe
        // is being closed") or a broken pipe; only a disconnect on our side
        // gives ERROR_PIPE_NOT_CONNECTED.  All mean the browser process is
        // gone: said once, and the bridge refuses further messages.
        logInfo("[WindowsPluginToChromiumBridge] client disconnected");
        return false;
    }
    logError("[WindowsPluginToChromiumBridge] WriteFile failed with error code: " + std::to_string(error));
    return true;
}
