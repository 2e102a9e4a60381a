// Measures, in one run and against the same browser-process stand-in:
//  - messages per second and MiB/s of 256-byte, 4 KiB and 64 KiB commands
//    sent through the plug-in, against the same UTF-16 messages written
//    straight to a named pipe created with the plug-in's parameters;
//  - the round trip of a cookie command (command out, answer in, callback);
//  - cutting and sending a 2 MiB message against writing it raw;
//  - per-webview commands per second from the engine's calling thread
//    (WebView_click, and WebView_executeJavaScript with a 1 KiB script),
//    against their exact command texts written straight to the pipe;
//  - how long an engine call blocks its thread when 8 engine threads send
//    10 000 cookie commands each from before the browser process is up
//    (the longest and the mean call, and how many took over 1 ms);
//  - the same load once the browser process is up and answering every
//    command: how long each call holds its thread (mean, p50, p99, p99.9,
//    longest), the round-trip rate, and whether every answer came back once
//    and in its thread's order; beside it, as its baseline, the same threads
//    timing a private computation, which shows the tail the machine's
//    scheduler alone gives such a load.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "BenchClock_win.h"
#include "BenchLayout_win.h"
#include "EngineHost_win.h"
#include "support/Process_win.h"

namespace {

struct Size {
    const char* name;
    size_t bytes;
    int count;
};
const Size kSizes[] = {{"256 B", 256, 2000}, {"4 KiB", 4096, 1000}, {"64 KiB", 65536, 200}};
constexpr size_t kLongBytes = 2 * 1048576;
constexpr int kLongCount = 4;
constexpr int kRoundTrips = 200;

// The per-webview command phases: the export called, and the text it sends,
// which the raw baseline writes as it is.
constexpr const char* kBenchViewId = "bench-view";
// 1 024 bytes of script.
const std::string kScript1KiB = "document.title = '" + std::string(1024 - 20, 's') + "';";
// Each phase runs this often, alternating, and the fastest run counts: the
// machine is shared, and a build next door would otherwise decide the ratio.
constexpr int kCommandRepeats = 3;
struct CommandPhase {
    const char* name;
    int count;
    std::string text;
};
const CommandPhase kCommandPhases[] = {
    {"WebView_click", 10000, std::string(R"({"type":4,"webViewId":")") + kBenchViewId + R"(","x":320,"y":240})"},
    {"WebView_executeJavaScript 1 KiB", 5000,
     std::string(R"({"type":12,"webViewId":")") + kBenchViewId + R"(","javaScript":")" + kScript1KiB + R"("})"},
};

const std::string kCommandOverhead = R"({"type":35,"serializedCookie":"","resultCallbackId":""})";

// The payload that makes the command text exactly `bytes` long.
std::string payloadFor(size_t bytes) { return std::string(bytes - kCommandOverhead.size(), 'p'); }
std::string commandFor(size_t bytes) {
    return R"({"type":35,"serializedCookie":")" + payloadFor(bytes) + R"(","resultCallbackId":""})";
}

std::wstring utf16(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

std::string doneMessage(const std::string& id) {
    return R"(send {"type":51,"success":true,"resultCallbackId":")" + id + R"("})";
}

// The stand-in's script: count messages and say when each phase has arrived.
// It only counts them: parsing and joining are the reader's work, and a reader
// that parsed each packet and then the joined text would charge the plug-in
// for a second parse that the raw single write never causes.
std::vector<std::string> throughputScript(int alreadyReceived) {
    std::vector<std::string> script = {"noanswer", "norecord", "countonly", doneMessage("ready")};
    int total = alreadyReceived;
    for (const Size& size : kSizes) {
        total += size.count;
        script.push_back("waitfor " + std::to_string(total));
        script.push_back(doneMessage(size.name));
    }
    total += kLongCount;
    script.push_back("waitfor " + std::to_string(total));
    script.push_back(doneMessage("long"));
    for (int r = 0; r < kCommandRepeats; ++r) {
        for (const CommandPhase& phase : kCommandPhases) {
            total += phase.count;
            script.push_back("waitfor " + std::to_string(total));
            script.push_back(doneMessage(phase.name));
        }
    }
    return script;
}

void writeScript(const std::wstring& path, const std::vector<std::string>& lines) {
    std::ofstream out(path.c_str(), std::ios::binary);
    for (const auto& line : lines) out << line << "\n";
}

// A benchmark that cannot finish says so instead of waiting for ever.
void waitFor(HANDLE event, const char* what) {
    if (WaitForSingleObject(event, 120000) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "no answer for %s within 120 s\n", what);
        std::exit(1);
    }
}

HANDLE boolEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
HANDLE cookiesEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);

struct Figures {
    double seconds[3] = {};
    double longSeconds = 0;
    double commandSeconds[2] = {1e9, 1e9};  // the fastest repetition
};

Figures runPlugin(const std::wstring& dll, std::vector<double>& roundTrips) {
    EngineHost host(dll);
    if (!host.loaded() || !host.missingExports().empty()) {
        std::fprintf(stderr, "cannot bind the plug-in\n");
        std::exit(1);
    }
    EngineHost::setObserver([](const HostCall& call) {
        if (call.callback == "bool") SetEvent(boolEvent);
        if (call.callback == "cookies") SetEvent(cookiesEvent);
    });
    host.initialize();

    // Round trips first, while the stand-in still answers.
    for (int i = 0; i < kRoundTrips; ++i) {
        const double start = now();
        host.getCookies("https://bench.test/", "n", "rt");
        waitFor(cookiesEvent, "a cookie command");
        roundTrips.push_back((now() - start) * 1000.0);
    }
    waitFor(boolEvent, "ready");  // the stand-in stopped answering

    Figures figures;
    for (int s = 0; s < 3; ++s) {
        const std::string payload = payloadFor(kSizes[s].bytes);
        const double start = now();
        for (int i = 0; i < kSizes[s].count; ++i) host.setCookie(payload.c_str(), "");
        waitFor(boolEvent, "a phase");
        figures.seconds[s] = now() - start;
    }
    const std::string longPayload = payloadFor(kLongBytes);
    const double start = now();
    for (int i = 0; i < kLongCount; ++i) host.setCookie(longPayload.c_str(), "");
    waitFor(boolEvent, "a phase");
    figures.longSeconds = now() - start;

    void* view = host.newWebView(kBenchViewId, 640, 480, 1.0f, "");
    for (int r = 0; r < kCommandRepeats; ++r) {
        for (int p = 0; p < 2; ++p) {
            const double phaseStart = now();
            for (int i = 0; i < kCommandPhases[p].count; ++i) {
                if (p == 0)
                    host.click(view, 320, 240);
                else
                    host.executeJavaScript(view, kScript1KiB.c_str(), nullptr);
            }
            waitFor(boolEvent, "a phase");
            figures.commandSeconds[p] = std::min(figures.commandSeconds[p], now() - phaseStart);
        }
    }
    host.initialize();  // a quiet reset ends the browser process
    host.destroy(view);
    return figures;
}

// 8 engine threads send cookie commands from the moment the first of them
// starts the browser process: most are held back, the rest meet the flush of
// the held-back list.  Every call is timed on its own thread.
constexpr int kFloodThreads = 8;
constexpr int kFloodPerThread = 10000;
struct BlockFigures {
    double longestMs = 0;
    double meanMs = 0;
    int overOneMs = 0;
    double deliveredSeconds = 0;
};

BlockFigures runHeldBackFlood(const std::wstring& dll) {
    EngineHost host(dll);
    if (!host.loaded() || !host.missingExports().empty()) {
        std::fprintf(stderr, "cannot bind the plug-in\n");
        std::exit(1);
    }
    EngineHost::setObserver([](const HostCall& call) {
        if (call.callback == "bool") SetEvent(boolEvent);
    });
    host.initialize();
    ResetEvent(boolEvent);
    std::atomic<int> ready{0};
    std::atomic<bool> go{false};
    std::vector<double> longest(kFloodThreads, 0), total(kFloodThreads, 0);
    std::vector<int> over(kFloodThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kFloodThreads; ++t) {
        threads.emplace_back([&, t] {
            ++ready;
            while (!go) Sleep(0);
            for (int i = 0; i < kFloodPerThread; ++i) {
                const double start = now();
                host.setCookie("flood=1", "");
                const double ms = (now() - start) * 1000.0;
                longest[t] = std::max(longest[t], ms);
                total[t] += ms;
                over[t] += ms > 1.0;
            }
        });
    }
    while (ready < kFloodThreads) Sleep(0);
    const double start = now();
    go = true;
    for (auto& thread : threads) thread.join();
    waitFor(boolEvent, "the held-back flood");
    BlockFigures figures;
    figures.deliveredSeconds = now() - start;
    double sum = 0;
    for (int t = 0; t < kFloodThreads; ++t) {
        figures.longestMs = std::max(figures.longestMs, longest[t]);
        sum += total[t];
        figures.overOneMs += over[t];
    }
    figures.meanMs = sum / (kFloodThreads * kFloodPerThread);
    host.initialize();  // a quiet reset ends the browser process
    return figures;
}

// 8 engine threads send cookie commands once the browser process is up and
// answers every one.  Each command carries "thread:index" as its result id,
// so the answers show loss, duplicates and each thread's order.
struct LiveFigures {
    std::vector<double> callMs;  // sorted
    double seconds = 0;          // from the first call to the last answer
    int answered = 0, duplicates = 0, outOfOrder = 0, lost = 0;
};

LiveFigures runLiveFlood(const std::wstring& dll) {
    EngineHost host(dll);
    if (!host.loaded() || !host.missingExports().empty()) {
        std::fprintf(stderr, "cannot bind the plug-in\n");
        std::exit(1);
    }
    // Answers arrive on the plug-in's reading thread, one at a time.
    struct Answers {
        std::vector<int> next = std::vector<int>(kFloodThreads, 0);
        std::vector<std::vector<unsigned char>> seen =
            std::vector<std::vector<unsigned char>>(kFloodThreads, std::vector<unsigned char>(kFloodPerThread, 0));
        int answered = 0, duplicates = 0, outOfOrder = 0;
    };
    static Answers* answers = nullptr;
    answers = new Answers;
    static HANDLE allAnswered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ResetEvent(allAnswered);
    EngineHost::setObserver([](const HostCall& call) {
        if (call.callback == "bool" && call.texts[0] == "up") SetEvent(boolEvent);
        if (call.callback != "bool" || call.texts[0].find(':') == std::string::npos) return;
        const std::string& id = call.texts[0];
        const int t = std::atoi(id.c_str());
        const int i = std::atoi(id.c_str() + id.find(':') + 1);
        if (t < 0 || t >= kFloodThreads || i < 0 || i >= kFloodPerThread) return;
        Answers& a = *answers;
        if (a.seen[t][i]++) ++a.duplicates;
        if (i != a.next[t]) ++a.outOfOrder;
        a.next[t] = i + 1;
        if (++a.answered == kFloodThreads * kFloodPerThread) SetEvent(allAnswered);
    });
    host.initialize();
    EngineHost::clearCalls();
    ResetEvent(boolEvent);
    host.setCookie("up", "up");  // starts the browser process; its answer says it is up
    waitFor(boolEvent, "the browser process to come up");

    std::vector<std::string> ids[kFloodThreads];
    for (int t = 0; t < kFloodThreads; ++t)
        for (int i = 0; i < kFloodPerThread; ++i) ids[t].push_back(std::to_string(t) + ":" + std::to_string(i));
    std::atomic<int> ready{0};
    std::atomic<bool> go{false};
    std::vector<std::vector<double>> times(kFloodThreads, std::vector<double>(kFloodPerThread));
    std::vector<std::thread> threads;
    for (int t = 0; t < kFloodThreads; ++t) {
        threads.emplace_back([&, t] {
            ++ready;
            while (!go) Sleep(0);
            for (int i = 0; i < kFloodPerThread; ++i) {
                const double start = now();
                host.setCookie("live=1", ids[t][i].c_str());
                times[t][i] = (now() - start) * 1000.0;
            }
        });
    }
    while (ready < kFloodThreads) Sleep(0);
    const double start = now();
    go = true;
    for (auto& thread : threads) thread.join();
    const bool complete = WaitForSingleObject(allAnswered, 120000) == WAIT_OBJECT_0;
    LiveFigures figures;
    figures.seconds = now() - start;
    EngineHost::setObserver(nullptr);
    host.initialize();  // a quiet reset ends the browser process
    for (auto& perThread : times) figures.callMs.insert(figures.callMs.end(), perThread.begin(), perThread.end());
    std::sort(figures.callMs.begin(), figures.callMs.end());
    figures.answered = answers->answered;
    figures.duplicates = answers->duplicates;
    figures.outOfOrder = answers->outOfOrder;
    for (int t = 0; t < kFloodThreads; ++t)
        for (int i = 0; i < kFloodPerThread; ++i) figures.lost += answers->seen[t][i] == 0;
    if (!complete) std::fprintf(stderr, "not every answer came back within 120 s\n");
    return figures;
}

// The baseline of the engine-call figures: the same 8 threads time 10 000
// calls each of a private computation that shares nothing (no lock, no
// allocation), about as long as a typical cookie call.  Its tail is what
// the machine's scheduler alone does to a thread that is inside a timed call
// nearly all the time: a thread taken off its processor in the middle of a
// call holds that call for a time slice or more.
std::vector<double> runSchedulerBaseline() {
    std::atomic<int> ready{0};
    std::atomic<bool> go{false};
    std::vector<std::vector<double>> times(kFloodThreads, std::vector<double>(kFloodPerThread));
    std::atomic<unsigned> sink{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kFloodThreads; ++t) {
        threads.emplace_back([&, t] {
            ++ready;
            while (!go) Sleep(0);
            unsigned hash = 2166136261u + static_cast<unsigned>(t);
            for (int i = 0; i < kFloodPerThread; ++i) {
                const double start = now();
                for (int round = 0; round < 400; ++round) hash = (hash ^ static_cast<unsigned>(round + i)) * 16777619u;
                times[t][i] = (now() - start) * 1000.0;
            }
            sink += hash;
        });
    }
    while (ready < kFloodThreads) Sleep(0);
    go = true;
    for (auto& thread : threads) thread.join();
    std::vector<double> callMs;
    for (auto& perThread : times) callMs.insert(callMs.end(), perThread.begin(), perThread.end());
    std::sort(callMs.begin(), callMs.end());
    return callMs;
}

double percentile(const std::vector<double>& sorted, double fraction) {
    if (sorted.empty()) return 0;
    const size_t at = std::min(sorted.size() - 1, static_cast<size_t>(fraction * static_cast<double>(sorted.size())));
    return sorted[at];
}

void printCallTimes(const char* what, const std::vector<double>& callMs) {
    double sum = 0;
    int overOneMs = 0;
    for (double ms : callMs) {
        sum += ms;
        overOneMs += ms > 1.0;
    }
    std::printf("%s, %d threads x %d: mean %.1f us, p50 %.1f us, p99 %.1f us, p99.9 %.1f us, longest %.2f ms, "
                "%d calls over 1 ms\n",
                what, kFloodThreads, kFloodPerThread, callMs.empty() ? 0.0 : sum / callMs.size() * 1000.0,
                percentile(callMs, 0.5) * 1000.0, percentile(callMs, 0.99) * 1000.0, percentile(callMs, 0.999) * 1000.0,
                callMs.empty() ? 0.0 : callMs.back(), overOneMs);
}

void printLive(const LiveFigures& live, const std::vector<double>& baseline) {
    printCallTimes("engine calls held by cookie commands with the browser process up and answering", live.callMs);
    printCallTimes("  baseline: the same threads timing a private computation that shares nothing", baseline);
    std::printf("  %.0f round trips per second (%d answers in %.2f s); lost %d, duplicated %d, out of their thread's "
                "order %d\n",
                live.answered / live.seconds, live.answered, live.seconds, live.lost, live.duplicates, live.outOfOrder);
}

// The same UTF-16 messages, written straight to a pipe of the same kind.
Figures runRaw(const std::wstring& executable) {
    const std::wstring name = L"\\\\.\\pipe\\com.telvio.webview.bench-" + std::to_wstring(GetCurrentProcessId());
    HANDLE pipe = CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                   PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES,
                                   1048576, 1048576, 0, nullptr);
    PROCESS_INFORMATION browser = StartProcess(L"\"" + executable + L"\" --telvio-pipe-name=" + name);
    OVERLAPPED overlapped{};
    overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD bytes = 0;
    if (!ConnectNamedPipe(pipe, &overlapped) && GetLastError() == ERROR_IO_PENDING)
        waitFor(overlapped.hEvent, "the stand-in to connect");

    std::vector<char> buffer(2097152);
    const auto readOne = [&] {
        ResetEvent(overlapped.hEvent);
        if (!ReadFile(pipe, buffer.data(), static_cast<DWORD>(buffer.size()), &bytes, &overlapped) &&
            GetLastError() == ERROR_IO_PENDING) {
            waitFor(overlapped.hEvent, "the raw pipe");
            GetOverlappedResult(pipe, &overlapped, &bytes, FALSE);
        }
    };
    const auto writeOne = [&](const std::wstring& message) {
        ResetEvent(overlapped.hEvent);
        if (!WriteFile(pipe, message.c_str(), static_cast<DWORD>((message.size() + 1) * 2), &bytes, &overlapped) &&
            GetLastError() == ERROR_IO_PENDING)
            GetOverlappedResult(pipe, &overlapped, &bytes, TRUE);
    };
    readOne();  // "ProcessInitialized"
    readOne();  // "ready"

    Figures figures;
    for (int s = 0; s < 3; ++s) {
        const std::wstring message = utf16(commandFor(kSizes[s].bytes));
        const double start = now();
        for (int i = 0; i < kSizes[s].count; ++i) writeOne(message);
        readOne();
        figures.seconds[s] = now() - start;
    }
    const std::wstring longMessage = utf16(commandFor(kLongBytes));
    const double start = now();
    for (int i = 0; i < kLongCount; ++i) writeOne(longMessage);
    readOne();
    figures.longSeconds = now() - start;
    for (int r = 0; r < kCommandRepeats; ++r) {
        for (int p = 0; p < 2; ++p) {
            const std::wstring message = utf16(kCommandPhases[p].text);
            const double phaseStart = now();
            for (int i = 0; i < kCommandPhases[p].count; ++i) writeOne(message);
            readOne();
            figures.commandSeconds[p] = std::min(figures.commandSeconds[p], now() - phaseStart);
        }
    }

    TerminateProcess(browser.hProcess, 0);
    WaitForSingleObject(browser.hProcess, 5000);
    CloseHandle(browser.hProcess);
    CloseHandle(browser.hThread);
    CloseHandle(overlapped.hEvent);
    CloseHandle(pipe);
    return figures;
}

}  // namespace

// With no argument every figure; "throughput" or "live" runs only the
// throughput and per-webview command figures or only the engine-call figures
// with the browser process up, for runs that alternate two builds.
int wmain(int argc, wchar_t** argv) {
    const std::wstring only = argc > 1 ? argv[1] : L"";
    if (!only.empty() && only != L"throughput" && only != L"live") {
        std::fprintf(stderr, "usage: webview_pipe_bench [throughput|live]\n");
        return 2;
    }
    const BenchLayout layout = makeBenchLayout(L"webview_bench");
    const std::wstring& dll = layout.dll;
    const std::wstring& executable = layout.executable;
    const std::wstring& script = layout.script;
    if (only == L"live") {
        writeScript(script, {"init", "norecord"});
        const std::vector<double> baseline = runSchedulerBaseline();
        printLive(runLiveFlood(dll), baseline);
        return 0;
    }

    std::vector<std::string> pluginScript = {"init", "waitfor " + std::to_string(kRoundTrips)};
    for (auto& line : throughputScript(kRoundTrips)) pluginScript.push_back(line);
    writeScript(script, pluginScript);
    std::vector<double> roundTrips;
    const Figures plugin = runPlugin(dll, roundTrips);

    std::vector<std::string> rawScript = {"init"};
    for (auto& line : throughputScript(0)) rawScript.push_back(line);
    writeScript(script, rawScript);
    const Figures raw = runRaw(executable);

    std::printf("webview pipe benchmark (plug-in vs raw named-pipe writes, same stand-in reader)\n");
    std::printf("%-8s %8s %14s %10s %14s %10s %8s\n", "size", "count", "plugin msg/s", "MiB/s", "raw msg/s", "MiB/s",
                "ratio");
    for (int s = 0; s < 3; ++s) {
        const double mib = static_cast<double>(kSizes[s].bytes) * kSizes[s].count / 1048576.0;
        std::printf("%-8s %8d %14.0f %10.2f %14.0f %10.2f %8.2f\n", kSizes[s].name, kSizes[s].count,
                    kSizes[s].count / plugin.seconds[s], mib / plugin.seconds[s], kSizes[s].count / raw.seconds[s],
                    mib / raw.seconds[s], plugin.seconds[s] / raw.seconds[s]);
    }
    std::printf("2 MiB message x%d: plug-in (cut into packets) %.1f ms each, raw single write %.1f ms each, ratio %.2f\n",
                kLongCount, plugin.longSeconds * 1000 / kLongCount, raw.longSeconds * 1000 / kLongCount,
                plugin.longSeconds / raw.longSeconds);
    std::printf("per-webview commands from the engine's calling thread (best of %d runs; ratio: plug-in time / raw time)\n",
                kCommandRepeats);
    std::printf("%-32s %6s %6s %14s %14s %8s\n", "export", "bytes", "count", "plugin cmd/s", "raw cmd/s", "ratio");
    for (int p = 0; p < 2; ++p) {
        const CommandPhase& phase = kCommandPhases[p];
        std::printf("%-32s %6u %6d %14.0f %14.0f %8.2f\n", phase.name, static_cast<unsigned>(phase.text.size()),
                    phase.count, phase.count / plugin.commandSeconds[p], phase.count / raw.commandSeconds[p],
                    plugin.commandSeconds[p] / raw.commandSeconds[p]);
    }

    if (only == L"throughput") return 0;

    writeScript(script, {"init", "noanswer", "norecord", "countonly",
                         "waitfor " + std::to_string(kFloodThreads * kFloodPerThread), doneMessage("flood")});
    const BlockFigures flood = runHeldBackFlood(dll);

    writeScript(script, {"init", "norecord"});
    const std::vector<double> baseline = runSchedulerBaseline();
    const LiveFigures live = runLiveFlood(dll);

    std::sort(roundTrips.begin(), roundTrips.end());
    std::printf("cookie round trip (command out, answer in, callback called), %d runs: median %.3f ms, p99 %.3f ms\n",
                kRoundTrips, roundTrips[roundTrips.size() / 2], roundTrips[roundTrips.size() * 99 / 100]);
    std::printf("engine calls blocked, %d threads x %d cookie commands from before the browser process is up: "
                "longest %.1f ms, mean %.3f ms, %d calls over 1 ms; all delivered after %.2f s\n",
                kFloodThreads, kFloodPerThread, flood.longestMs, flood.meanMs, flood.overOneMs, flood.deliveredSeconds);
    printLive(live, baseline);
    return 0;
}
