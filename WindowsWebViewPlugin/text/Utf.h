#pragma once
// UTF-8 <-> UTF-16 conversion as the plug-in needs it on the pipe and in the
// log path: invalid UTF-8 sequences and unpaired surrogates become U+FFFD.
#include <string>
#include <string_view>

std::u16string utf8ToUtf16(std::string_view text);
// The same into `out`, which has room for text.size() units (a text never
// has more UTF-16 units than UTF-8 bytes); returns the number written.
size_t utf8ToUtf16(std::string_view text, char16_t* out);
std::string utf16ToUtf8(std::u16string_view text);

// The UTF-8 text after a round trip through UTF-16: valid text is unchanged,
// every invalid sequence is replaced by U+FFFD.
std::string sanitizeUtf8(std::string_view text);

// The number of UTF-16 code units that utf8ToUtf16(text) would produce.
size_t utf16Length(std::string_view text);

// The number of UTF-16 code units of `text` written as the contents of a JSON
// string by the compact writer: control characters, '"' and '\' escaped.
size_t jsonStringUtf16Length(std::string_view text);
