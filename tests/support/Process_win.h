#pragma once
// Starting test programs with exact Windows command lines.
#include <windows.h>

#include <string>

struct ProcessResult {
    bool started = false;
    DWORD exitCode = 0;
    std::string output;  // standard output, as the program wrote it
};

// The folder of the running test executable, without a trailing backslash.
std::wstring TestBinaryDir();

// Runs `commandLine` (the whole line, program path included), waits at most
// `timeoutMs` and collects its standard output.
ProcessResult RunProcess(const std::wstring& commandLine, DWORD timeoutMs = 30000);

// Starts `commandLine` without waiting; the caller owns the returned handles.
PROCESS_INFORMATION StartProcess(const std::wstring& commandLine);

// Creates a fresh, empty folder below the temporary folder.
std::wstring MakeTempFolder(const std::wstring& name);
