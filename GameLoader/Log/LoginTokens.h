#pragma once
// The log goes to support with every report a player sends, so the login
// token never stands in it: a line that would carry one carries its length
// instead.
#include <string>

// `text` with the value of every login token replaced by "<n chars>", n
// being the value's length as written: the value after each "--token="
// (to the end of the text, as a command-line item carries it) and the
// string value of each JSON member "token" (up to its closing quote).
// Everything else, "--tokenLogin=" and "tokenLogin" included, stays as it is.
std::wstring HideLoginTokens(const std::wstring& text);
