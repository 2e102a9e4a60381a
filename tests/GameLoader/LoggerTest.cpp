#include "Log/Logger.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>
#include <vector>

namespace {

// Files live in memory; the folder and drive checks answer what the test says.
struct FakeSystem {
    std::vector<std::string> writableFolders;
    bool consoleUser = false;
    std::string consoleDocuments;
    bool driveD = false;
    LogTime now;
    std::map<std::string, std::string> files;  // name -> content
    std::string stderrText, debuggerText;
    std::vector<std::string> testFiles;
};

class FakePlatform : public LoggerPlatform {
public:
    explicit FakePlatform(FakeSystem& system) : system_(system) {}

    bool createTestFile(const std::string& path) override
    {
        system_.testFiles.push_back(path);
        for (const std::string& folder : system_.writableFolders)
            if (path == folder + "debug.txt")
                return true;
        return false;
    }
    bool consoleUserDocuments(std::string& folder) override
    {
        if (!system_.consoleUser)
            return false;
        folder = system_.consoleDocuments;
        return true;
    }
    bool directoryExists(const std::string& path) override { return path == "D:\\" && system_.driveD; }
    std::string moduleBaseName() override { return "zelk_main.exe"; }
    LogTime localTime() override { return system_.now; }
    std::FILE* openAppend(const std::string& fileName) override
    {
        // A real temporary file stands in; its content is copied back on flush.
        std::FILE* file = std::tmpfile();
        opened_.push_back({file, fileName});
        const std::string& existing = system_.files[fileName];
        std::fwrite(existing.data(), 1, existing.size(), file);
        return file;
    }
    void writeStderr(const std::string& text) override { system_.stderrText += text; }
    void writeDebugger(const std::string& text) override { system_.debuggerText += text; }

    void syncFiles()
    {
        for (auto& entry : opened_) {
            std::fflush(entry.first);
            std::rewind(entry.first);
            std::string content;
            char buffer[4096];
            size_t n;
            while ((n = std::fread(buffer, 1, sizeof buffer, entry.first)) > 0)
                content.append(buffer, n);
            system_.files[entry.second] = content;
            std::fseek(entry.first, 0, SEEK_END);
        }
    }

private:
    FakeSystem& system_;
    std::vector<std::pair<std::FILE*, std::string>> opened_;
};

LogTime Day(int year, int month, int day, int ms = 0)
{
    LogTime t;
    t.year = year;
    t.month = month;
    t.day = day;
    t.hour = 9;
    t.minute = 5;
    t.second = 1;
    t.milliseconds = ms;
    return t;
}

std::unique_ptr<Logger> MakeLogger(FakeSystem& system, const std::string& folder, FakePlatform** platformOut)
{
    auto platform = std::make_unique<FakePlatform>(system);
    *platformOut = platform.get();
    return std::make_unique<Logger>(std::move(platform), folder);
}

const std::string kFolder = "C:\\users\\u\\AppData\\Local\\Korvane\\Log\\";

}  // namespace

TEST(Logger, WritableFolderOpensAllThreeOutputs)
{
    FakeSystem system;
    system.writableFolders = {kFolder};
    system.now = Day(2024, 3, 7, 42);
    FakePlatform* platform;
    auto logger = MakeLogger(system, kFolder, &platform);

    ASSERT_TRUE(logger->isOpen());
    EXPECT_EQ(Logger::kFile | Logger::kStderr | Logger::kDebugger, logger->mask());
    EXPECT_EQ(kFolder + "zelk_main.exe_2024_3_7.log", logger->fileName());

    logger->write(2, "src\\Main", 54, "wWinMain", "hello");
    platform->syncFiles();
    const std::string line = "2024-03-07 09:05:01. 42 [Main<54>wWinMain] : hello";
    EXPECT_EQ(line + "\n", system.files[logger->fileName()]);
    EXPECT_EQ(line + "\n", system.stderrText);
    EXPECT_EQ(line + "\r\n", system.debuggerText);
}

TEST(Logger, LevelsAboveTwoReachNoOutput)
{
    FakeSystem system;
    system.writableFolders = {kFolder};
    system.now = Day(2024, 3, 7);
    FakePlatform* platform;
    auto logger = MakeLogger(system, kFolder, &platform);
    logger->write(0, "f", 1, "F", "failure");
    logger->write(2, "f", 2, "F", "progress");
    logger->write(3, "f", 3, "F", "detail");
    platform->syncFiles();
    const std::string& content = system.files[logger->fileName()];
    EXPECT_NE(std::string::npos, content.find("failure"));
    EXPECT_NE(std::string::npos, content.find("progress"));
    EXPECT_EQ(std::string::npos, content.find("detail"));
    EXPECT_EQ(std::string::npos, system.stderrText.find("detail"));
    EXPECT_EQ(std::string::npos, system.debuggerText.find("detail"));
}

TEST(Logger, TwoRunsOnOneDayAppendToOneFileAndANewDayStartsAnother)
{
    FakeSystem system;
    system.writableFolders = {kFolder};
    system.now = Day(2024, 3, 7);
    std::string firstFile;
    for (const char* run : {"first run", "second run"}) {
        FakePlatform* platform;
        auto logger = MakeLogger(system, kFolder, &platform);
        logger->write(2, "f", 1, "F", run);
        platform->syncFiles();
        firstFile = logger->fileName();
    }
    const std::string& both = system.files[firstFile];
    EXPECT_LT(both.find("first run"), both.find("second run"));
    EXPECT_NE(std::string::npos, both.find("second run"));

    system.now = Day(2024, 3, 8);
    FakePlatform* platform;
    auto logger = MakeLogger(system, kFolder, &platform);
    logger->write(2, "f", 1, "F", "next day");
    platform->syncFiles();
    EXPECT_EQ(kFolder + "zelk_main.exe_2024_3_8.log", logger->fileName());
    EXPECT_EQ(std::string::npos, system.files[firstFile].find("next day"));
}

TEST(Logger, ReadOnlyFolderFallbackTable)
{
    struct Case {
        const char* name;
        bool consoleUser;
        std::string documents;
        bool documentsWritable;
        bool driveD;
        bool open;
        int mask;
        std::string fileFolder;
    };
    const std::string docs = "C:\\users\\player\\Documents";
    const Case cases[] = {
        {"console user's Documents", true, docs, true, false, true, 1 | 4 | 16, docs + "\\"},
        {"Documents not writable, D: present", true, docs, false, true, true, 4 | 16, docs + "\\"},
        {"no console user, D: present", false, "", false, true, true, 4 | 16, kFolder},
        {"no console user, no D:", false, "", false, false, false, 0, ""},
        {"Documents not found: current folder", true, "", true, false, true, 1 | 4 | 16, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSystem system;
        system.consoleUser = c.consoleUser;
        system.consoleDocuments = c.documents;
        if (c.documentsWritable)
            system.writableFolders = {c.documents.empty() ? std::string() : c.documents + "\\"};
        system.driveD = c.driveD;
        system.now = Day(2024, 3, 7);
        FakePlatform* platform;
        auto logger = MakeLogger(system, kFolder, &platform);
        EXPECT_EQ(c.open, logger->isOpen());
        EXPECT_EQ(c.mask, logger->mask());
        if (c.open) {
            EXPECT_EQ(c.fileFolder + "zelk_main.exe_2024_3_7.log", logger->fileName());
        }
        logger->write(2, "f", 1, "F", "line");
        platform->syncFiles();
        if (!c.open) {
            EXPECT_TRUE(system.stderrText.empty());
            EXPECT_TRUE(system.debuggerText.empty());
            EXPECT_TRUE(system.files.empty());
        } else if (!(c.mask & Logger::kFile)) {
            EXPECT_FALSE(system.stderrText.empty());
            EXPECT_TRUE(system.files.empty());
        }
    }
}

TEST(Logger, LinesFromManyThreadsStayWhole)
{
    FakeSystem system;
    system.writableFolders = {kFolder};
    system.now = Day(2024, 3, 7);
    FakePlatform* platform;
    auto logger = MakeLogger(system, kFolder, &platform);
    const std::string payload(300, 'x');
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i)
                logger->write(2, "f", t, "F", payload);
        });
    for (auto& thread : threads)
        thread.join();
    platform->syncFiles();
    std::istringstream lines(system.files[logger->fileName()]);
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        ++count;
        ASSERT_EQ(payload, line.substr(line.size() - payload.size()));
        ASSERT_EQ(payload.size() + std::string("2024-03-07 09:05:01.  0 [f<0>F] : ").size(), line.size());
    }
    EXPECT_EQ(800, count);
}
