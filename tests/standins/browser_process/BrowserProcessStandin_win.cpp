// A scriptable browser process.  It reads the pipe name from its command
// line, connects (retrying until the pipe exists), records everything it
// receives, answers the cookie commands and command 47, and runs the script
// named by STANDIN_SCRIPT, one command a line:
//   init            send "ProcessInitialized"
//   send TEXT       send TEXT as one message
//   stdout N        write N bytes to standard output in one write
//   waitfor N       wait until N messages (joined) have arrived
//   sleep MS        wait
//   silent          do not answer command 47
//   noanswer        do not answer cookie commands
//   answertextures  answer every create command (8) with "HandleInitFinished"
//                   and every resize command (27) with "ResizeFinished"
//   norecord        stop writing received texts to the record (benchmarks)
//   countonly       from now on only count messages, without parsing,
//                   answering or recording them; a multi-part message counts
//                   when its last packet arrives (benchmarks, so that a
//                   message costs the same here whether it came whole or cut)
//   flood           send one message of more than 2 097 152 bytes
//   oversize        the same (a message longer than the plug-in's read buffer)
//   nest N          send one message of N "[" (nested arrays)
//   answerinline    from now on write every answer on the thread that reads,
//                   waiting for each write before reading on
//   crash           end the process at once, without closing the pipe
//   spawn           start a child copy of itself that only waits
//   disconnect      close the pipe and end
// STANDIN_CONNECT_DELAY_MS, when set, delays the connection by that long.
// The record (STANDIN_RECORD) gets one line per event: "cmdline ...",
// "packet ID N/COUNT", "recv TEXT" (a whole or joined message), "spawned PID";
// backslashes and line breaks in texts are escaped.
#include <windows.h>

#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

std::mutex recordMutex;
std::wstring recordPath;
std::mutex messagesMutex;
std::condition_variable messagesChanged;
size_t messagesReceived = 0;  // guarded by messagesMutex
std::atomic<bool> answerTerminate{true};
std::atomic<bool> answerCookies{true};
std::atomic<bool> answerTextures{false};
std::atomic<bool> recordMessages{true};
std::atomic<bool> countOnly{false};
std::atomic<bool> answerInline{false};
HANDLE pipe = INVALID_HANDLE_VALUE;
std::mutex writeMutex;

std::string utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring wide(const std::string& text) {
    if (text.empty()) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(size, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

std::string escape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else out += c;
    }
    return out;
}

void record(const std::string& line) {
    if (recordPath.empty()) return;
    std::lock_guard<std::mutex> lock(recordMutex);
    std::ofstream out(recordPath.c_str(), std::ios::app | std::ios::binary);
    out << line << '\n';
}

std::wstring environment(const wchar_t* name) {
    wchar_t value[1024] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, 1024);
    return length && length < 1024 ? std::wstring(value, length) : std::wstring();
}

bool writeMessage(const std::string& text) {
    std::wstring message = wide(text);
    message.push_back(L'\0');
    std::lock_guard<std::mutex> lock(writeMutex);
    OVERLAPPED overlapped{};
    overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD written = 0;
    BOOL ok = WriteFile(pipe, message.data(), static_cast<DWORD>(message.size() * 2), &written, &overlapped);
    if (!ok && GetLastError() == ERROR_IO_PENDING) ok = GetOverlappedResult(pipe, &overlapped, &written, TRUE);
    CloseHandle(overlapped.hEvent);
    return ok != FALSE;
}

std::string jsonText(const rapidjson::Value& object, const char* name) {
    const auto member = object.FindMember(name);
    return member != object.MemberEnd() && member->value.IsString() ? member->value.GetString() : "";
}

std::string result(int type, const char* member, const std::string& value, bool isBool, const std::string& id) {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    writer.StartObject();
    writer.Key("type");
    writer.Int(type);
    writer.Key(member);
    if (isBool) writer.Bool(true);
    else writer.String(value.c_str());
    writer.Key("resultCallbackId");
    writer.String(id.c_str());
    writer.EndObject();
    return buffer.GetString();
}

void answer(const std::string& text);

void handleMessage(const std::string& text) {
    if (recordMessages) record("recv " + escape(text));
    answer(text);
}

// Answers are written by a thread of their own, as a browser process does
// its pipe I/O: a reader that waited for its own answer to be taken would
// stop reading, and with the plug-in writing a long backlog into a full pipe
// at the same moment, both ends would wait on each other for ever.
std::mutex answersMutex;
std::condition_variable answersChanged;
// One entry per received message, empty when it gets no answer; a message
// is counted once its answer is written, so that a script waiting for it
// sees the answer sent.
std::vector<std::string> answers;  // guarded by answersMutex

void countMessage();

void queueAnswer(const std::string& text) {
    if (answerInline) {
        // On the reading thread: nothing is read until the answer is taken.
        if (!text.empty()) writeMessage(text);
        countMessage();
        if (text == "TerminateProcessFinished") {
            Sleep(200);
            ExitProcess(0);
        }
        return;
    }
    {
        std::lock_guard<std::mutex> lock(answersMutex);
        answers.push_back(text);
    }
    answersChanged.notify_one();
}

void countMessage() {
    {
        std::lock_guard<std::mutex> lock(messagesMutex);
        ++messagesReceived;
    }
    messagesChanged.notify_all();
}

void answerLoop() {
    for (;;) {
        std::vector<std::string> batch;
        {
            std::unique_lock<std::mutex> lock(answersMutex);
            answersChanged.wait(lock, [] { return !answers.empty(); });
            batch.swap(answers);
        }
        for (const std::string& text : batch) {
            if (!text.empty())
                writeMessage(text);
            countMessage();
            if (text == "TerminateProcessFinished") {
                Sleep(200);
                ExitProcess(0);
            }
        }
    }
}

void answer(const std::string& text) {
    rapidjson::Document command;
    command.Parse(text.c_str());
    if (command.HasParseError() || !command.IsObject() || !command.HasMember("type") || !command["type"].IsInt()) {
        queueAnswer("");
        return;
    }
    const int type = command["type"].GetInt();
    if ((type == 14 || type == 10 || type == 35) && !answerCookies) {
        queueAnswer("");
        return;
    }
    if (type == 14) {
        queueAnswer(result(50, "serializedCookies", "cookies-for-" + jsonText(command, "url"), false,
                           jsonText(command, "resultCallbackId")));
    } else if (type == 10 || type == 35) {
        queueAnswer(result(51, "success", "", true, jsonText(command, "resultCallbackId")));
    } else if ((type == 8 || type == 27) && answerTextures) {
        rapidjson::StringBuffer buffer;
        rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
        writer.StartObject();
        writer.Key("type");
        writer.Int(52);
        writer.Key("webViewId");
        writer.String(jsonText(command, "webViewId").c_str());
        writer.Key("message");
        writer.String(type == 8 ? "HandleInitFinished" : "ResizeFinished");
        writer.EndObject();
        queueAnswer(buffer.GetString());
    } else if (type == 47 && answerTerminate) {
        queueAnswer("TerminateProcessFinished");
    } else {
        queueAnswer("");
    }
}

// Joins multi-part packets by message id, in packet order.
std::map<std::string, std::map<unsigned, std::string>> partialMessages;

// Whether a packet is the last of its message, from the two numbers in its
// head (written before "data"); a packet without them counts as a message.
bool isLastPacket(const std::string& packet) {
    const auto number = [&](const char* key) -> long {
        const size_t at = packet.find(key);
        return at == std::string::npos || at > 200 ? -1 : std::strtol(packet.c_str() + at + std::strlen(key), nullptr, 10);
    };
    return number("\"numberOfPackets\":") == number("\"packetNumber\":");
}

void handleText(const std::string& text) {
    static const std::string prefix = "MultiPartMessage";
    const bool isPacket = text.compare(0, prefix.size(), prefix) == 0;
    if (countOnly) {
        if (!isPacket || isLastPacket(text)) countMessage();
        return;
    }
    if (!isPacket) {
        handleMessage(text);
        return;
    }
    rapidjson::Document packet;
    packet.Parse(text.c_str() + prefix.size(), text.size() - prefix.size());
    if (packet.HasParseError() || !packet.IsObject()) {
        record("bad-packet " + escape(text.substr(0, 200)));
        return;
    }
    const std::string id = jsonText(packet, "messageId");
    const unsigned count = packet["numberOfPackets"].GetUint();
    const unsigned number = packet["packetNumber"].GetUint();
    if (recordMessages) record("packet " + id + " " + std::to_string(number) + "/" + std::to_string(count) + " " +
           std::to_string(packet["data"].GetStringLength()));
    auto& parts = partialMessages[id];
    parts[number].assign(packet["data"].GetString(), packet["data"].GetStringLength());
    if (parts.size() == count) {
        std::string joined;
        for (auto& [n, data] : parts) joined += data;
        partialMessages.erase(id);
        handleMessage(joined);
    }
}

void readLoop() {
    std::vector<char> buffer(4 * 1048576);
    OVERLAPPED overlapped{};
    overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::string pending;
    for (;;) {
        DWORD bytes = 0;
        ResetEvent(overlapped.hEvent);
        BOOL ok = ReadFile(pipe, buffer.data(), static_cast<DWORD>(buffer.size()), &bytes, &overlapped);
        DWORD error = ok ? 0 : GetLastError();
        if (!ok && error == ERROR_IO_PENDING) {
            ok = GetOverlappedResult(pipe, &overlapped, &bytes, TRUE);
            error = ok ? 0 : GetLastError();
        }
        if (!ok && error != ERROR_MORE_DATA) {
            record("closed " + std::to_string(error));
            return;
        }
        pending.append(buffer.data(), bytes);
        if (!ok) continue;  // more of the same message follows
        std::wstring message(reinterpret_cast<const wchar_t*>(pending.data()), pending.size() / 2);
        pending.clear();
        const size_t nul = message.find(L'\0');
        if (nul != std::wstring::npos) message.resize(nul);
        handleText(utf8(message));
    }
}

bool connect(const std::wstring& name) {
    for (int attempt = 0; attempt < 600; ++attempt) {
        pipe = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED,
                           nullptr);
        if (pipe != INVALID_HANDLE_VALUE) {
            DWORD mode = PIPE_READMODE_MESSAGE;
            SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr);
            return true;
        }
        Sleep(50);
    }
    return false;
}

std::wstring argumentValue(const std::wstring& commandLine, const std::wstring& switchName) {
    const size_t at = commandLine.find(switchName);
    if (at == std::wstring::npos) return {};
    const size_t start = at + switchName.size();
    const size_t end = commandLine.find(L' ', start);
    return commandLine.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
}

void spawnChild() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring line = L"\"" + std::wstring(self) + L"\" --standin-child";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        record("spawned " + std::to_string(process.dwProcessId));
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

void runScript(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t space = line.find(' ');
        const std::string command = line.substr(0, space);
        const std::string argument = space == std::string::npos ? "" : line.substr(space + 1);
        if (command == "init") {
            writeMessage("ProcessInitialized");
        } else if (command == "send") {
            writeMessage(argument);
        } else if (command == "stdout") {
            const std::string bytes(std::stoul(argument), 'o');
            DWORD written = 0;
            WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        } else if (command == "waitfor") {
            std::unique_lock<std::mutex> lock(messagesMutex);
            const size_t count = std::stoul(argument);
            messagesChanged.wait_for(lock, std::chrono::seconds(30), [&] { return messagesReceived >= count; });
        } else if (command == "sleep") {
            Sleep(std::stoul(argument));
        } else if (command == "silent") {
            answerTerminate = false;
        } else if (command == "answertextures") {
            answerTextures = true;
        } else if (command == "noanswer") {
            answerCookies = false;
        } else if (command == "norecord") {
            recordMessages = false;
        } else if (command == "countonly") {
            countOnly = true;
        } else if (command == "nest") {
            writeMessage(std::string(std::stoul(argument), '['));
        } else if (command == "answerinline") {
            answerInline = true;
        } else if (command == "crash") {
            record("crash");
            TerminateProcess(GetCurrentProcess(), 3);
        } else if (command == "flood" || command == "oversize") {
            writeMessage(std::string(1048577, 'f'));  // 2 097 156 bytes with its terminator
        } else if (command == "spawn") {
            spawnChild();
        } else if (command == "disconnect") {
            record("disconnect");
            CloseHandle(pipe);
            ExitProcess(0);
        }
    }
}

}  // namespace

int wmain() {
    const std::wstring commandLine = GetCommandLineW();
    if (commandLine.find(L"--standin-child") != std::wstring::npos) {
        Sleep(INFINITE);
        return 0;
    }
    recordPath = environment(L"STANDIN_RECORD");
    record("cmdline " + escape(utf8(commandLine)));
    const std::wstring pipeName = argumentValue(commandLine, L"--telvio-pipe-name=");
    const std::wstring delay = environment(L"STANDIN_CONNECT_DELAY_MS");
    if (!delay.empty()) Sleep(std::stoul(delay));
    if (!connect(pipeName)) {
        record("connect-failed");
        return 2;
    }
    record("connected " + std::to_string(GetCurrentProcessId()));
    std::thread(answerLoop).detach();  // ends with the process
    std::thread reader(readLoop);
    const std::wstring script = environment(L"STANDIN_SCRIPT");
    if (!script.empty()) runScript(script);
    reader.join();
    return 0;
}
