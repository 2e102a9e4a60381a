#pragma once
// The catch-all around every export.  No exception may reach the engine: it
// is built with another compiler and cannot unwind through our frames.  What
// escapes an export is logged with the export's name.
#include <exception>
#include <string>

#include "engine/EngineCallbacks.h"

template <typename Result, typename Body>
Result guarded(const char* exportName, Result onFailure, Body body) noexcept {
    try {
        return body();
    } catch (const std::exception& exception) {
        try {
            logError(std::string("[") + exportName + "] " + exception.what());
        } catch (...) {
        }
    } catch (...) {
        try {
            logError(std::string("[") + exportName + "] Unknown exception");
        } catch (...) {
        }
    }
    return onFailure;
}

template <typename Body>
void guardedVoid(const char* exportName, Body body) noexcept {
    guarded(exportName, 0, [&] {
        body();
        return 0;
    });
}
