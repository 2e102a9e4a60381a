#pragma once
// The catch-all at a boundary the system calls into: a window procedure, a
// COM method, a thread entry.  i686 GCC unwinds with DWARF tables, which
// cannot cross the system's frames, so nothing may escape.  What escapes the
// body is handed to `log` (a callable taking a const char* description) and
// the boundary answers `onFailure`.
#include <exception>

template <typename Result, typename Log, typename Body>
Result GuardBoundary(Result onFailure, Log&& log, Body&& body) noexcept
{
    try {
        return body();
    } catch (const std::exception& exception) {
        try {
            log(exception.what());
        } catch (...) {
        }
    } catch (...) {
        try {
            log("unknown exception");
        } catch (...) {
        }
    }
    return onFailure;
}
