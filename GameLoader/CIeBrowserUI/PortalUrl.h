#pragma once
// The portal page's address: the platform's web portal host (fixed when the
// launcher is built) with the launch parameters in its query.
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

// True when `url` is an https address whose host is `host` (compared
// without regard to case; user information and port do not count as host).
bool IsUrlOnHost(const std::wstring& url, const std::wstring& host);
