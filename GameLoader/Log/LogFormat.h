#pragma once
// The parts of a log line that only compute: the timestamp, the source base
// name, the qualified function name and the per-day file name.
#include <string>

struct LogTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0, milliseconds = 0;
};

// "2024-03-07 09:05:01. 42": milliseconds are space-padded ("%3d"), not zero-padded.
std::string FormatLogTimestamp(const LogTime& time);

// The text after the last backslash; the whole text when there is none or
// when the last backslash is the first character.
std::string LogBaseName(const std::string& sourcePath);

// timestamp + " [" + base name + "<" + line + ">" + function + "] : " + message
std::string FormatLogLine(const LogTime& time, const std::string& sourcePath, int line,
                          const std::string& function, const std::string& message);

// path + "_" + year + "_" + month + "_" + day + ".log", no leading zeros.
std::string LogFileName(const std::string& path, const LogTime& date);

// "Class::Method" (or the bare name of a free function) out of a compiler's
// pretty function signature such as "int GameLoaderWnd::ParseCmdJson(int)".
std::string QualifiedFunctionName(const char* prettyFunction);
