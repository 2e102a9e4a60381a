#include "CIeBrowserUI/RefusalLog.h"

bool RefusalLog::Admit(unsigned long long nowMilliseconds, unsigned long& leftOut)
{
    leftOut = 0;
    if (!m_started || nowMilliseconds - m_secondStart >= 1000) {
        m_started = true;
        m_secondStart = nowMilliseconds;
        m_linesThisSecond = 0;
    }
    if (m_linesThisSecond >= m_linesPerSecond) {
        ++m_leftOut;
        return false;
    }
    ++m_linesThisSecond;
    leftOut = m_leftOut;
    m_leftOut = 0;
    return true;
}

std::wstring ShortenForLog(const std::wstring& text, size_t keep)
{
    std::wstring shown = text.substr(0, keep);
    for (wchar_t& c : shown)
        if (c < 0x20 || c == 0x7F)
            c = L'?';
    if (text.size() > keep)
        shown += L"...(" + std::to_wstring(text.size()) + L" chars)";
    return shown;
}
