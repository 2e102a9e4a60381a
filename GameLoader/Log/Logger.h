#pragma once
// The launcher's diagnostic log: one file per day below the platform
// client's folder, plus standard error and the debugger output.
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

#include "Log/LogFormat.h"

// What the log needs from the system.  The Windows implementation lives in
// Logger_win.cpp; tests give their own.
class LoggerPlatform {
public:
    virtual ~LoggerPlatform() = default;
    // Creates `path` for reading and writing (shared for reading, replacing
    // an existing file), then closes and deletes it.  True when it could be created.
    virtual bool createTestFile(const std::string& path) = 0;
    // The Documents folder of the user at the physical console, resolved
    // with that user's token.  False when there is no console user or no
    // token; true with an empty folder when the folder cannot be resolved.
    virtual bool consoleUserDocuments(std::string& folder) = 0;
    virtual bool directoryExists(const std::string& path) = 0;
    // "zelk_main.exe"; empty when it cannot be read.
    virtual std::string moduleBaseName() = 0;
    virtual LogTime localTime() = 0;
    // Opens for appending in text mode, with no sharing restriction.
    virtual std::FILE* openAppend(const std::string& fileName) = 0;
    virtual void writeStderr(const std::string& text) = 0;
    virtual void writeDebugger(const std::string& text) = 0;
};

// The system's own implementation (Logger_win.cpp).
std::unique_ptr<LoggerPlatform> MakeWindowsLoggerPlatform();

class Logger {
public:
    enum Output { kFile = 1, kStderr = 4, kDebugger = 16 };

    // Must run before the first log call of the process.
    static void initializePathDir(const std::string& folder);
    // The process-wide log, set up on first use.
    static Logger& instance();

    // Runs the set-up: test file, console user's Documents, drive D:.
    Logger(std::unique_ptr<LoggerPlatform> platform, std::string folder);
    ~Logger();
    Logger(const Logger&) = delete;
    Logger& operator=(const Logger&) = delete;

    void open(const std::string& path, int mask);
    void write(int level, const std::string& sourceFile, int line, const std::string& function,
               const std::string& message);

    bool isOpen() const { return open_; }
    int mask() const { return mask_; }
    const std::string& fileName() const { return fileName_; }
    const std::string& folder() const { return folder_; }

private:
    void setUp();
    bool tryTestFile();

    std::unique_ptr<LoggerPlatform> platform_;
    std::string folder_;
    bool open_ = false;
    std::string fileName_;
    int mask_ = 0;
    std::FILE* file_ = nullptr;  // null also when opening failed: lines for the file are lost
    int fileThreshold_ = 2;
    int stderrThreshold_ = 2;
    int debuggerThreshold_ = 2;
    // Any thread may log; one line is written whole before the next starts.
    std::mutex writeMutex_;
};
