#include "Log/LoginTokens.h"

namespace {

const std::wstring kSwitch = L"--token=";
const std::wstring kMember = L"\"token\"";

bool IsJsonSpace(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

std::wstring LengthOnly(std::size_t length) { return L"<" + std::to_wstring(length) + L" chars>"; }

// Where the string value of the member whose key ends just before `at`
// starts (after its opening quote), or npos when no string value follows.
std::size_t StringValueStart(const std::wstring& text, std::size_t at)
{
    while (at < text.size() && IsJsonSpace(text[at]))
        ++at;
    if (at >= text.size() || text[at] != L':')
        return std::wstring::npos;
    ++at;
    while (at < text.size() && IsJsonSpace(text[at]))
        ++at;
    if (at >= text.size() || text[at] != L'"')
        return std::wstring::npos;
    return at + 1;
}

// The closing quote of a JSON string whose characters start at `at`; the
// end of the text when the string is never closed.
std::size_t StringValueEnd(const std::wstring& text, std::size_t at)
{
    while (at < text.size() && text[at] != L'"')
        at += text[at] == L'\\' ? 2 : 1;
    return at < text.size() ? at : text.size();
}

}  // namespace

std::wstring HideLoginTokens(const std::wstring& text)
{
    std::wstring hidden = text;
    // JSON members first: the switch form below hides to the end of the text.
    for (std::size_t key = hidden.find(kMember); key != std::wstring::npos; key = hidden.find(kMember, key + 1)) {
        const std::size_t start = StringValueStart(hidden, key + kMember.size());
        if (start == std::wstring::npos)
            continue;
        const std::size_t end = StringValueEnd(hidden, start);
        hidden.replace(start, end - start, LengthOnly(end - start));
    }
    const std::size_t value = hidden.find(kSwitch);
    if (value != std::wstring::npos) {
        const std::size_t start = value + kSwitch.size();
        hidden.replace(start, std::wstring::npos, LengthOnly(hidden.size() - start));
    }
    return hidden;
}
