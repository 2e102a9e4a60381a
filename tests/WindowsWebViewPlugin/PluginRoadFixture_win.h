#pragma once
// The plug-in DLL in the engine-host stand-in, with the browser-process
// stand-in placed where the plug-in looks for the browser process: a fresh
// folder layout per test, the stand-in's script and its record of what it
// received.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "EngineHost_win.h"
#include "support/Process_win.h"

inline std::string unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[++i];
            out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

inline std::string narrow(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(size - 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
    return out;
}

inline size_t countOf(const std::vector<HostCall>& calls, const std::string& callback) {
    size_t n = 0;
    for (const auto& call : calls) n += call.callback == callback;
    return n;
}

inline bool hasLine(const std::vector<HostCall>& calls, const std::string& callback, const std::string& text) {
    for (const auto& call : calls)
        if (call.callback == callback && !call.texts.empty() && call.texts[0] == text) return true;
    return false;
}

enum class Layout { BuiltApplication, Editor, NoExecutable };

class PluginRoad : public ::testing::Test {
protected:
    void SetUp() override {
        // A folder of its own for every test: a plug-in that has started a
        // browser process stays loaded for good (it pins itself while its
        // threads may run), so its file cannot be replaced by the next test.
        static int tests = 0;
        root = MakeTempFolder(L"plugin_road_" + std::to_wstring(++tests));
        pluginDir = root + L"\\Plugins";
        CreateDirectoryW(pluginDir.c_str(), nullptr);
        dllPath = pluginDir + L"\\TelvioWebViewWindows.dll";
        ASSERT_TRUE(CopyFileW((TestBinaryDir() + L"\\TelvioWebViewWindows.dll").c_str(), dllPath.c_str(), FALSE));
        recordPath = root + L"\\record.txt";
        scriptPath = root + L"\\script.txt";
        SetEnvironmentVariableW(L"STANDIN_RECORD", recordPath.c_str());
        SetEnvironmentVariableW(L"STANDIN_SCRIPT", scriptPath.c_str());
        EngineHost::clearCalls();
    }

    void TearDown() override {
        // A quiet reset ends whatever browser process is still running.
        if (host && host->loaded()) host->initialize();
    }

    std::wstring placeExecutable(Layout layout) {
        const std::wstring folder =
            (layout == Layout::Editor ? root : pluginDir) + L"\\TelvioWebViewChromium";
        const std::wstring path = folder + L"\\Telvio WebView.telvio";
        if (layout == Layout::NoExecutable) return path;
        CreateDirectoryW(folder.c_str(), nullptr);
        EXPECT_TRUE(CopyFileW((TestBinaryDir() + L"\\Telvio WebView.telvio").c_str(), path.c_str(), FALSE));
        return path;
    }

    void start(const std::vector<std::string>& script, Layout layout = Layout::BuiltApplication) {
        executable = placeExecutable(layout);
        std::ofstream out(scriptPath.c_str(), std::ios::binary);
        for (const auto& line : script) out << line << "\n";
        out.close();
        host = std::make_unique<EngineHost>(dllPath);
        ASSERT_TRUE(host->loaded());
        ASSERT_TRUE(host->missingExports().empty());
        host->initialize();
        EngineHost::clearCalls();
    }

    std::vector<std::string> record() {
        std::ifstream in(recordPath.c_str(), std::ios::binary);
        std::vector<std::string> lines;
        std::string line;
        while (std::getline(in, line)) lines.push_back(unescape(line));
        return lines;
    }

    std::vector<std::string> recordOf(const std::string& kind) {
        std::vector<std::string> lines;
        for (const auto& line : record())
            if (line.rfind(kind + " ", 0) == 0) lines.push_back(line.substr(kind.size() + 1));
        return lines;
    }

    bool waitForRecord(const std::string& kind, size_t count, DWORD timeoutMs = 20000) {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < timeoutMs) {
            if (recordOf(kind).size() >= count) return true;
            Sleep(20);
        }
        return false;
    }

    // The browser process of the record, opened so that its end can be seen.
    HANDLE openBrowserProcess() {
        EXPECT_TRUE(waitForRecord("connected", 1));
        const auto pids = recordOf("connected");
        return pids.empty() ? nullptr : OpenProcess(SYNCHRONIZE, FALSE, std::stoul(pids.back()));
    }

    bool waitForCalls(const std::string& callback, size_t count, DWORD timeoutMs = 20000) {
        return EngineHost::waitFor([&](const std::vector<HostCall>& calls) { return countOf(calls, callback) >= count; },
                                   timeoutMs);
    }

    std::wstring root, pluginDir, dllPath, recordPath, scriptPath, executable;
    std::unique_ptr<EngineHost> host;
};

