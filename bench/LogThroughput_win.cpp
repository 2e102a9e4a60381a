// Log lines per second with the per-line flush, against fwrite + fflush of
// the same lines to a file of the same folder, in one run.
#include <windows.h>

#include <cstdio>
#include <string>

#include "Log/Logger.h"

namespace {

double Seconds(LARGE_INTEGER begin, LARGE_INTEGER end)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(end.QuadPart - begin.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::string TempFolder()
{
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + "zelk_log_bench\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

}  // namespace

int main(int argc, char** argv)
{
    const int lines = argc > 1 ? atoi(argv[1]) : 20000;
    const std::string folder = TempFolder();
    const std::string message = "CommandLineToArgvW argCount:2 szArgList:--token=0123456789abcdef0123456789abcdef";

    Logger logger(MakeWindowsLoggerPlatform(), folder);
    logger.open(folder + "bench_logger", Logger::kFile);  // the file output alone
    LARGE_INTEGER begin, end;
    QueryPerformanceCounter(&begin);
    for (int i = 0; i < lines; ++i)
        logger.write(2, "GameLoader\\Main\\Main_win.cpp", 54, "RunLauncher", message);
    QueryPerformanceCounter(&end);
    const double loggerSeconds = Seconds(begin, end);

    // Baseline: the same finished lines, formatted once, written and flushed.
    const std::string line = "2024-03-07 09:05:01. 42 [Main_win.cpp<54>RunLauncher] : " + message + "\n";
    std::FILE* file = std::fopen((folder + "bench_plain.log").c_str(), "a");
    QueryPerformanceCounter(&begin);
    for (int i = 0; i < lines; ++i) {
        std::fwrite(line.data(), 1, line.size(), file);
        std::fflush(file);
    }
    QueryPerformanceCounter(&end);
    std::fclose(file);
    const double plainSeconds = Seconds(begin, end);

    std::printf("log throughput: %.0f lines/s through Logger, %.0f lines/s plain fwrite+fflush (%d lines)\n",
                lines / loggerSeconds, lines / plainSeconds, lines);
    std::printf("ratio Logger / plain (time per line): %.2f\n", loggerSeconds / plainSeconds);
    DeleteFileA((folder + "bench_plain.log").c_str());
    DeleteFileA(logger.fileName().c_str());
    return 0;
}
