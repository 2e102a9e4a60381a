#pragma once
// The log call used throughout the launcher:
//
//     LOG_CALL(2, L"FindWindow:" << title);
//
// The pieces are streamed into a wide text; the call site's file, line and
// `Class::Method` name go into the line.  Level 0 marks failures, 2 progress.
#include <sstream>
#include <string>

void LogCall(int level, const char* sourceFile, int line, const char* prettyFunction,
             const std::wstring& message);

#define LOG_CALL(level, pieces)                                                        \
    do {                                                                               \
        std::wostringstream logCallStream_;                                            \
        logCallStream_ << pieces;                                                      \
        ::LogCall((level), __FILE__, __LINE__, __PRETTY_FUNCTION__, logCallStream_.str()); \
    } while (0)
