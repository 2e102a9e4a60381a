#include "Log/Logger.h"

#include <utility>

Logger::Logger(std::unique_ptr<LoggerPlatform> platform, std::string folder)
    : platform_(std::move(platform)), folder_(std::move(folder))
{
    setUp();
}

Logger::~Logger()
{
    if (file_)
        std::fclose(file_);
}

bool Logger::tryTestFile()
{
    return platform_->createTestFile(folder_ + "debug.txt");
}

void Logger::setUp()
{
    bool created = tryTestFile();
    if (!created) {
        // The folder cannot be written (a locked-down profile, say): fall
        // back to the Documents folder of whoever sits at the console.
        std::string documents;
        if (platform_->consoleUserDocuments(documents)) {
            folder_ = documents.empty() ? std::string() : documents + "\\";
            created = tryTestFile();
        }
    }
    const std::string path = folder_ + platform_->moduleBaseName();
    if (created)
        open(path, kFile | kStderr | kDebugger);
    else if (platform_->directoryExists("D:\\"))
        open(path, kStderr | kDebugger);
}

void Logger::open(const std::string& path, int mask)
{
    std::lock_guard<std::mutex> lock(writeMutex_);
    fileThreshold_ = stderrThreshold_ = debuggerThreshold_ = 2;
    if ((mask_ & kFile) && file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (path != fileName_)
        fileName_ = LogFileName(path, platform_->localTime());
    if (mask & kFile)
        file_ = platform_->openAppend(fileName_);
    mask_ = mask;
    open_ = true;
}

void Logger::write(int level, const std::string& sourceFile, int line, const std::string& function,
                   const std::string& message)
{
    if (!open_)
        return;
    const std::string text = FormatLogLine(platform_->localTime(), sourceFile, line, function, message);
    std::lock_guard<std::mutex> lock(writeMutex_);
    if ((mask_ & kFile) && level <= fileThreshold_ && file_) {
        const std::string withEnd = text + "\n";
        std::fwrite(withEnd.data(), 1, withEnd.size(), file_);
        std::fflush(file_);
    }
    if ((mask_ & kStderr) && level <= stderrThreshold_)
        platform_->writeStderr(text + "\n");
    if ((mask_ & kDebugger) && level <= debuggerThreshold_)
        platform_->writeDebugger(text + "\r\n");
}
