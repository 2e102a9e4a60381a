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
    if (text.size() <= keep)
        return text;
    return text.substr(0, keep) + L"...(" + std::to_wstring(text.size()) + L" chars)";
}
