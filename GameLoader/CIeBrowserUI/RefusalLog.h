#pragma once
// The log lines a page can provoke as often as it likes (a refused bridge
// call, a pop-up that is not opened): a script in a loop must not fill the
// player's disk or bury the lines support looks for.
#include <string>

class RefusalLog {
public:
    // At most `linesPerSecond` lines in any second, counted from the first
    // line of that second.
    explicit RefusalLog(unsigned linesPerSecond = 3) : m_linesPerSecond(linesPerSecond) {}

    // True when a line may be written at `nowMilliseconds` (a monotonic
    // clock).  `leftOut` receives how many lines were refused since the last
    // one written, so that the writer can say so; 0 when refused.
    bool Admit(unsigned long long nowMilliseconds, unsigned long& leftOut);

private:
    unsigned m_linesPerSecond;
    bool m_started = false;
    unsigned long long m_secondStart = 0;
    unsigned m_linesThisSecond = 0;
    unsigned long m_leftOut = 0;
};

// `text` for a log line: kept whole up to `keep` characters, otherwise its
// start followed by "...(<n> chars)", with control characters as "?".  A
// page chooses its addresses: one line must not carry megabytes, nor a line
// break that starts a line of the page's making.
std::wstring ShortenForLog(const std::wstring& text, size_t keep = 512);
