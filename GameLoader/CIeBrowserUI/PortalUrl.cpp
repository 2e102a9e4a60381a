#include "CIeBrowserUI/PortalUrl.h"

#include <cstdint>

#ifndef ZELK_PORTAL_HOST
#define ZELK_PORTAL_HOST "www.korvane.example"
#endif

#define ZELK_WIDEN_(text) L##text
#define ZELK_WIDEN(text) ZELK_WIDEN_(text)

const wchar_t* PortalHost() { return ZELK_WIDEN(ZELK_PORTAL_HOST); }

std::wstring PortalBaseUrl() { return std::wstring(L"https://") + PortalHost() + L"/client/index/zelk"; }

std::wstring MakePortalUrl(const std::wstring& baseUrl, const LaunchParams& params)
{
    std::wstring url = baseUrl;
    url += url.find(L'?') == std::wstring::npos ? L"?fileparam=" : L"&fileparam=";
    url += params.bagFileParam;
    const struct {
        const wchar_t* key;
        const std::wstring& value;
    } members[] = {
        {L"&token=", params.token},
        {L"&source=", params.source},
        {L"&kvext=", params.kvext},
        {L"&tokenLogin=", params.tokenLogin},
    };
    for (const auto& member : members)
        if (!member.value.empty())
            url += member.key + member.value;
    return url;
}

namespace {

// ASCII only: the locale's idea of case must not decide what a host is.
wchar_t LowerAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool EqualNoCase(const std::wstring& a, const std::wstring& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

bool IsAlpha(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool IsHexDigit(wchar_t c) { return IsDigit(c) || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F'); }
bool IsControl(wchar_t c) { return c < 0x20 || c == 0x7F; }

bool IsDigits(const std::wstring& text)
{
    for (wchar_t c : text)
        if (!IsDigit(c))
            return false;
    return true;
}

// Empty or the decimal number 443 ("0443" too, as browsers read it).
bool IsDefaultHttpsPort(const std::wstring& port)
{
    if (port.empty())
        return true;
    if (!IsDigits(port))
        return false;
    unsigned long value = 0;
    for (wchar_t c : port) {
        value = value * 10 + static_cast<unsigned long>(c - L'0');
        if (value > 65535)
            return false;
    }
    return value == 443;
}

// Letters, digits, "-", ".", "_", "~" and characters beyond ASCII (names in
// other scripts, which the browser turns into their ASCII form), or an
// IPv6 literal in brackets.
bool IsPlainHost(const std::wstring& host)
{
    if (host.empty())
        return false;
    if (host.front() == L'[') {
        if (host.size() < 3 || host.back() != L']')
            return false;
        for (size_t i = 1; i + 1 < host.size(); ++i)
            if (!IsHexDigit(host[i]) && host[i] != L':' && host[i] != L'.')
                return false;
        return true;
    }
    for (wchar_t c : host)
        if (!IsAlpha(c) && !IsDigit(c) && c != L'-' && c != L'.' && c != L'_' && c != L'~' && c < 0x80)
            return false;
    return true;
}

// RFC 3986 user information: unreserved, sub-delimiters, ":" and "%".
bool IsPlainUserInfo(const std::wstring& userInfo)
{
    static const std::wstring allowed = L"-._~!$&'()*+,;=:%";
    for (wchar_t c : userInfo)
        if (!IsAlpha(c) && !IsDigit(c) && allowed.find(c) == std::wstring::npos)
            return false;
    return true;
}

void AppendPercent(std::wstring& out, unsigned byte)
{
    static const wchar_t hex[] = L"0123456789ABCDEF";
    out += L'%';
    out += hex[(byte >> 4) & 0xF];
    out += hex[byte & 0xF];
}

void AppendUtf8Percent(std::wstring& out, uint32_t code)
{
    if (code < 0x80) {
        AppendPercent(out, code);
    } else if (code < 0x800) {
        AppendPercent(out, 0xC0 | (code >> 6));
        AppendPercent(out, 0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        AppendPercent(out, 0xE0 | (code >> 12));
        AppendPercent(out, 0x80 | ((code >> 6) & 0x3F));
        AppendPercent(out, 0x80 | (code & 0x3F));
    } else {
        AppendPercent(out, 0xF0 | (code >> 18));
        AppendPercent(out, 0x80 | ((code >> 12) & 0x3F));
        AppendPercent(out, 0x80 | ((code >> 6) & 0x3F));
        AppendPercent(out, 0x80 | (code & 0x3F));
    }
}

// Path, query and fragment with nothing left that a command line or the
// shell could read differently from the browser.
std::wstring EncodeRest(const std::wstring& rest)
{
    static const std::wstring escaped = L" \"<>\\^`{|}";
    std::wstring out;
    out.reserve(rest.size());
    bool inPath = true;
    for (size_t i = 0; i < rest.size(); ++i) {
        const wchar_t c = rest[i];
        if (c == L'?' || c == L'#')
            inPath = false;
        if (c == L'\\' && inPath) {
            out += L'/';
        } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < rest.size() && rest[i + 1] >= 0xDC00 &&
                   rest[i + 1] <= 0xDFFF) {
            AppendUtf8Percent(out, 0x10000 + ((static_cast<uint32_t>(c) - 0xD800) << 10) +
                                       (static_cast<uint32_t>(rest[i + 1]) - 0xDC00));
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            AppendUtf8Percent(out, 0xFFFD);  // a lone surrogate is no character
        } else if (c >= 0x80) {
            AppendUtf8Percent(out, c);
        } else if (escaped.find(c) != std::wstring::npos) {
            AppendPercent(out, c);
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

bool SplitUrl(const std::wstring& url, UrlParts& parts)
{
    parts = UrlParts();
    size_t colon = 0;
    while (colon < url.size() && url[colon] != L':') {
        const wchar_t c = url[colon];
        const bool valid = colon == 0 ? IsAlpha(c) : IsAlpha(c) || IsDigit(c) || c == L'+' || c == L'-' || c == L'.';
        if (!valid)
            return false;
        ++colon;
    }
    if (colon == url.size() || colon < 2)
        return false;
    parts.scheme = url.substr(0, colon);
    size_t position = colon + 1;
    if (url.compare(position, 2, L"//") != 0) {
        parts.rest = url.substr(position);
        return true;
    }
    parts.hasAuthority = true;
    position += 2;
    size_t end = url.find_first_of(L"/?#\\", position);
    if (end == std::wstring::npos)
        end = url.size();
    std::wstring authority = url.substr(position, end - position);
    parts.rest = url.substr(end);
    const size_t at = authority.rfind(L'@');
    if (at != std::wstring::npos) {
        parts.userInfo = authority.substr(0, at);
        authority.erase(0, at + 1);
    }
    size_t portColon = std::wstring::npos;
    if (!authority.empty() && authority.front() == L'[') {
        const size_t close = authority.find(L']');
        if (close != std::wstring::npos && close + 1 < authority.size() && authority[close + 1] == L':')
            portColon = close + 1;
        else if (close != std::wstring::npos && close + 1 < authority.size())
            return false;  // something after the literal that is not a port
    } else {
        portColon = authority.find(L':');
    }
    if (portColon != std::wstring::npos) {
        parts.port = authority.substr(portColon + 1);
        authority.erase(portColon);
    }
    parts.host = authority;
    return true;
}

bool IsUrlOnHost(const std::wstring& url, const std::wstring& host)
{
    UrlParts parts;
    if (host.empty() || !SplitUrl(url, parts) || !parts.hasAuthority || !EqualNoCase(parts.scheme, L"https"))
        return false;
    if (!IsDefaultHttpsPort(parts.port))
        return false;
    std::wstring shown = parts.host;
    if (!shown.empty() && shown.back() == L'.')
        shown.pop_back();
    return EqualNoCase(shown, host);
}

std::wstring BrowserUrlForPopup(const std::wstring& url)
{
    for (wchar_t c : url)
        if (IsControl(c))
            return std::wstring();
    UrlParts parts;
    if (!SplitUrl(url, parts) || !parts.hasAuthority)
        return std::wstring();
    const bool http = EqualNoCase(parts.scheme, L"http");
    if (!http && !EqualNoCase(parts.scheme, L"https"))
        return std::wstring();
    if (!IsPlainHost(parts.host) || !IsPlainUserInfo(parts.userInfo) || !IsDigits(parts.port) ||
        parts.port.size() > 5)
        return std::wstring();
    std::wstring out = http ? L"http://" : L"https://";
    if (!parts.userInfo.empty())
        out += parts.userInfo + L"@";
    out += parts.host;
    if (!parts.port.empty())
        out += L":" + parts.port;
    out += EncodeRest(parts.rest);
    return out;
}

std::wstring MaskTokenInUrl(const std::wstring& url)
{
    const size_t query = url.find_first_of(L"?#");
    if (query == std::wstring::npos)
        return url;
    std::wstring out = url.substr(0, query);
    size_t position = query;
    while (position < url.size()) {
        // One member: its separator ("?", "#" or "&"), then key=value.
        out += url[position++];
        size_t end = url.find_first_of(L"&#", position);
        if (end == std::wstring::npos)
            end = url.size();
        const std::wstring member = url.substr(position, end - position);
        const size_t equals = member.find(L'=');
        if (equals != std::wstring::npos && EqualNoCase(member.substr(0, equals), L"token"))
            out += member.substr(0, equals + 1) + L"<" + std::to_wstring(member.size() - equals - 1) + L" chars>";
        else
            out += member;
        position = end;
    }
    return out;
}
