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

// Opens the settings file with a C library mode ("rb"); null with errno set
// when it cannot.  The launcher opens the wide path, so that a folder name
// outside the ANSI code page still works.
using SettingsFileOpener = std::function<std::FILE*(const char* mode)>;

// What a save needs besides reading: the new content goes to a sibling file,
// which then takes the old file's place in one step, so that a crash or a
// full disk in the middle of writing leaves the old file whole.
struct SettingsFileAccess {
    SettingsFileOpener open;                        // the settings file itself
    std::function<std::FILE*()> createReplacement;  // the sibling, empty, to write ("w")
    std::function<bool()> replaceWithReplacement;   // the sibling becomes the settings file
    std::function<void()> removeReplacement;        // after a failed write or replace
};

// Files nested deeper than this many elements read as not XML: the XML
// library recurses once per level without a limit of its own.
constexpr int kMaxSettingsNesting = 64;

// Stores `utf8Value` as the only text of the first `element` below the root
// (appending the element when there is none) and saves the file.  A missing
// file is created with a "settings" root.  False when the file cannot be
// read as XML, holds no element, or cannot be saved; the file is then left
// as it was.
bool SaveSettingElement(const SettingsFileAccess& access, const char* element, const std::string& utf8Value);

// Reads the text of the first `element` below the root, as the stored bytes.
// False when the file cannot be read as XML or has no such element; true with
// `value` untouched when the element has no text.
bool LoadSettingElement(const SettingsFileOpener& open, const char* element, std::string& value);

// The deepest element nesting of `text` as the XML library would read it
// (comments, CDATA, declarations and quoted attribute values hold none), or
// `limit` + 1 as soon as it goes beyond `limit`.
int XmlNestingDepth(const std::string& text, int limit);
