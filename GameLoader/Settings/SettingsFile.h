#pragma once
// setting.xml, the small file the launcher shares with later runs of itself:
//
//     <settings>
//         <kvwindowid>1234</kvwindowid>
//         <loginsource>KV</loginsource>
//     </settings>
//
// The first element of the document is the root whatever its name; other
// elements in the file survive a rewrite, and a file that is not XML is
// never repaired or replaced.
#include <cstdio>
#include <functional>
#include <string>

// Element names below the root.
extern const char* const kPlatformWindowIdElement;  // "kvwindowid"
extern const char* const kLoginSourceElement;       // "loginsource"

// Opens the settings file with a C library mode ("rb" to read, "w" to
// write); null with errno set when it cannot.  The launcher opens the wide
// path, so that a folder name outside the ANSI code page still works.
using SettingsFileOpener = std::function<std::FILE*(const char* mode)>;

// Stores `utf8Value` as the only text of the first `element` below the root
// (appending the element when there is none) and saves the file.  A missing
// file is created with a "settings" root.  False when the file cannot be read as XML, holds no element,
// or cannot be saved; the file is then left as it was.
bool SaveSettingElement(const SettingsFileOpener& open, const char* element, const std::string& utf8Value);

// Reads the text of the first `element` below the root, as the stored bytes.
// False when the file cannot be read as XML or has no such element; true with
// `value` untouched when the element has no text.
bool LoadSettingElement(const SettingsFileOpener& open, const char* element, std::string& value);
