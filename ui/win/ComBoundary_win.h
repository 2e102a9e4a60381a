#pragma once
// The framework's COM methods run their bodies through this: nothing
// escapes into the browser, and what would have escaped is logged with the
// method's name.
#include <windows.h>

#include <cstring>
#include <string>
#include <utility>

#include "UILog.h"
#include "common/win/BoundaryGuard.h"

template <typename Body>
HRESULT GuardedComCall(const char* where, Body&& body) noexcept
{
    return GuardBoundary<HRESULT>(
        E_UNEXPECTED,
        [where](const char* what) {
            UILog(0, std::wstring(where, where + std::strlen(where)) + L": " +
                         std::wstring(what, what + std::strlen(what)));
        },
        std::forward<Body>(body));
}
