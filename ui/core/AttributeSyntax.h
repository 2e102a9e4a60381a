#pragma once
// The value syntax of skin attributes: decimal numbers, comma lists,
// "#AARRGGBB" colours, "true"/"false", and pictures.  Every parser answers
// false for a value it cannot read; the caller then leaves the attribute
// as it was.
#include <cstdint>
#include <string>
#include <string_view>

#include "UIGeometry.h"

bool ParseInteger(std::string_view text, int& value);
// Exactly `count` integers separated by commas (blanks around them allowed).
bool ParseIntegerList(std::string_view text, int* values, int count);
// Coordinates and sizes: as the two above, each number then held within
// plus or minus kMaxCoordinate.
bool ParseCoordinate(std::string_view text, int& value);
bool ParseCoordinateList(std::string_view text, int* values, int count);
bool ParseColor(std::string_view text, uint32_t& argb);
bool ParseBool(std::string_view text, bool& value);

// A picture reference: an archive file and the nine-grid margins whose
// corners are drawn unscaled.  An empty file draws nothing.  The margins are
// read as coordinates.
struct PictureRef {
    std::string file;  // UTF-8, as the archive names it
    UIRect corner;     // left, top, right, bottom margins
    bool operator==(const PictureRef& other) const { return file == other.file && corner == other.corner; }
};

// Either a bare file name or key='value' pairs of which file and corner
// count (other keys are accepted and ignored).
bool ParsePicture(std::string_view text, PictureRef& picture);

// UTF-8 to the platform's wide text (UTF-16 on Windows); malformed bytes
// become U+FFFD.
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);
// Appends one code point (at most U+10FFFF) as UTF-8.
void AppendUtf8(std::string& out, unsigned long code);
