#pragma once
// The portal page's address: the platform's web portal host (fixed when the
// launcher is built) with the launch parameters in its query; and the
// reading of the addresses a page hands us (the document shown, pop-ups).
#include <string>

#include "GameLoader/LaunchParams.h"

// The portal host, e.g. "www.korvane.example".
const wchar_t* PortalHost();
// "https://" + host + "/client/index/zelk".
std::wstring PortalBaseUrl();

// The base URL, then "?fileparam=" (or "&fileparam=" once the URL holds a
// "?") with bagFileParam, then token, source, kvext and tokenLogin when not
// empty.  Values go in as they are: the portal reads them unescaped, kvext
// may carry several members of its own.
std::wstring MakePortalUrl(const std::wstring& baseUrl, const LaunchParams& params);

// The parts of an absolute address "scheme:[//[userinfo@]host[:port]]rest",
// as written.  The authority ends at the first "/", "?", "#" or "\" (which
// browsers read as "/" in web addresses); the host follows the last "@" in
// it.  A scheme is a letter followed by letters, digits, "+", "-" or ".",
// at least two characters long, so that "C:\x.bat" is a path, not a scheme.
struct UrlParts {
    std::wstring scheme;
    bool hasAuthority = false;
    std::wstring userInfo;
    std::wstring host;  // an IPv6 literal keeps its brackets
    std::wstring port;  // without the ":"; empty when none is written
    std::wstring rest;  // path, query and fragment
};
// False when `url` has no scheme (a relative address or a plain path).
bool SplitUrl(const std::wstring& url, UrlParts& parts);

// True when `url` is an https address whose host is `host` (compared
// without regard to case) on the default https port (none written, or
// 443); user information does not count as host.
bool IsUrlOnHost(const std::wstring& url, const std::wstring& host);

// The address to hand to the user's default browser for a page's pop-up:
// only http and https addresses with a plain host name or IP literal (and
// a numeric port) qualify.  The result is rebuilt from the parts: scheme in
// lower case, "\" in the path as "/", and spaces, quotes, "<>^`{|}" and
// characters beyond ASCII in path, query and fragment percent-encoded
// (UTF-8), so that what the shell and the browser's command line receive
// is the address that was judged.  Empty for everything else: other
// schemes (file:, javascript:, registered protocols), plain and UNC paths,
// and addresses holding control characters.
std::wstring BrowserUrlForPopup(const std::wstring& url);

// `url` with the value of every query or fragment member named "token"
// (any case) written as "<n chars>", for the log.
std::wstring MaskTokenInUrl(const std::wstring& url);
