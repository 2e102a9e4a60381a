#include "CIeBrowserUI/PortalUrl.h"

#include <cwctype>

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

bool EqualNoCase(const std::wstring& a, const std::wstring& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::towlower(a[i]) != std::towlower(b[i]))
            return false;
    return true;
}

}  // namespace

bool IsUrlOnHost(const std::wstring& url, const std::wstring& host)
{
    static const std::wstring scheme = L"https://";
    if (host.empty() || url.size() < scheme.size() || !EqualNoCase(url.substr(0, scheme.size()), scheme))
        return false;
    // The authority ends at the first "/", "?", "#" or "\" (which browsers
    // read as "/"); the host follows the last "@" in it and ends at ":".
    const size_t start = scheme.size();
    size_t end = url.find_first_of(L"/?#\\", start);
    if (end == std::wstring::npos)
        end = url.size();
    std::wstring authority = url.substr(start, end - start);
    const size_t at = authority.rfind(L'@');
    if (at != std::wstring::npos)
        authority.erase(0, at + 1);
    const size_t colon = authority.find(L':');
    if (colon != std::wstring::npos)
        authority.erase(colon);
    if (!authority.empty() && authority.back() == L'.')
        authority.pop_back();
    return EqualNoCase(authority, host);
}
