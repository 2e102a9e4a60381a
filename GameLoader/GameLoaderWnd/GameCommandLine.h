#pragma once
// The parameters the launcher starts the game with: the login switches of
// the launch parameters, one "--name=value" item each.
#include <string>

#include "GameLoader/LaunchParams.h"

// `value` written so that the system's command-line splitting
// (CommandLineToArgvW) reads it back unchanged as the rest of an item.
// A value without blank, tab or quotation mark is returned as it is
// (backslashes are literal when no quotation mark follows them); any other
// is enclosed in quotation marks, with its quotation marks and the
// backslashes before them, or before the closing mark, escaped.
std::wstring QuoteArgumentIfNeeded(const std::wstring& value);
// The same, always enclosed in quotation marks.
std::wstring QuoteArgument(const std::wstring& value);

// "--source=" + source, then " --tokenLogin=", " --token=", " --kvext=",
// " --winid=" (the game-manager window, gameMgrId), " --typeMode=",
// " --instGamePath=", " --cacheGamePath=", each only with a value.  The
// token is enclosed in quotation marks unless `source` is exactly "KV".
// Values that need it are quoted by the rules above, so that a blank or a
// quotation mark in a token cannot add switches of its own; ordinary values
// are copied unchanged.
std::wstring MakeGameCommandLine(const LaunchParams& params);
