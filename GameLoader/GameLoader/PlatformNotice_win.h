#pragma once
#include <windows.h>

#include "GameLoader/PlatformNotice.h"

// How long a notice may wait for the platform client's window procedure.
// The launcher holds its single-instance mutex meanwhile: a platform client
// that hangs must not keep every later start of the launcher out.  A client
// the system already counts as hung is not waited for at all
// (SMTO_ABORTIFHUNG), so the limit is only ever reached by one that is busy
// and answers late, or one that hangs in the notice itself.  A notice that
// times out is still handled once the client is free, but counts as not
// delivered: 3 s gave up on a client busy for a few seconds (loading,
// a modal dialog of its own) and sent the fallback's second notice to it;
// 10 s lets such a client answer in time, and keeps the later starts out
// for no longer than a player would retry.
constexpr UINT kPlatformNoticeTimeoutMs = 10000;

// Sends `record` to `window` with WM_COPYDATA (wParam 0) and waits until the
// receiver has handled it, for at most `timeoutMs`; a receiver the system
// already knows to be hung is not waited for at all.  True when the message
// was handled in time and the thread's last error, cleared before the call,
// is still 0; the receiver's answer is not looked at.  False at once when
// `window` is not a window.  The exit notice and the main window's close
// procedure both send through here.
bool SendPlatformNotice(HWND window, const PlatformNoticeRecord& record, UINT timeoutMs = kPlatformNoticeTimeoutMs);
