#include "UILog.h"

#include <windows.h>

#include <atomic>

namespace {
std::atomic<UILogSink> g_sink{nullptr};
}

void SetUILogSink(UILogSink sink) { g_sink = sink; }

void UILog(int level, const std::wstring& message)
{
    if (UILogSink sink = g_sink.load()) {
        sink(level, message);
        return;
    }
    OutputDebugStringW((L"[ui] " + message + L"\n").c_str());
}
