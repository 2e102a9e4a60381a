#pragma once
// A minidump of the launcher when it dies of an unhandled exception, beside
// its log, so that a player's report to support carries both.
#include <windows.h>

#include <string>

// The dump's file name: the log file's name without ".log", then the local
// time as "_" + hour + "_" + minute + "_" + second (two digits each) and
// ".dmp".  For the log zelk_main.exe_2024_3_7.log at 09:05:01 that is
// zelk_main.exe_2024_3_7_09_05_01.dmp.
std::string CrashDumpFileName(const std::string& logFileName, const SYSTEMTIME& now);

// Makes CrashDumpFilter the process's unhandled-exception filter, writing
// beside `logFileName` (the log's file name, ANSI; empty writes no dump).
void InstallCrashDump(const std::string& logFileName);

// Writes the dump (MiniDumpNormal with thread information, the exception
// included), logs one line, and hands the exception on: the answer of the
// filter installed before, or EXCEPTION_CONTINUE_SEARCH, so the process
// ends as it would have without a dump.  Only the first call after
// InstallCrashDump writes; a fault while dumping is handed on at once.
LONG WINAPI CrashDumpFilter(EXCEPTION_POINTERS* exception);
