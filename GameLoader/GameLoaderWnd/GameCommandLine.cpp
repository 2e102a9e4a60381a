#include "GameLoaderWnd/GameCommandLine.h"

namespace {

bool NeedsQuotes(const std::wstring& value)
{
    return value.find_first_of(L" \t\"") != std::wstring::npos;
}

void AddPiece(std::wstring& line, const wchar_t* prefix, const std::wstring& value)
{
    if (value.empty())
        return;
    line += prefix;
    line += QuoteArgumentIfNeeded(value);
}

}  // namespace

std::wstring QuoteArgument(const std::wstring& value)
{
    // Backslashes mean themselves unless a quotation mark follows: then each
    // pair stands for one backslash, and an odd one makes the mark literal.
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (const wchar_t c : value) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"')
            quoted.append(backslashes * 2 + 1, L'\\');
        else
            quoted.append(backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    // Those before the closing mark are doubled, or the mark would be literal.
    quoted.append(backslashes * 2, L'\\');
    quoted += L'"';
    return quoted;
}

std::wstring QuoteArgumentIfNeeded(const std::wstring& value)
{
    return NeedsQuotes(value) ? QuoteArgument(value) : value;
}

std::wstring MakeGameCommandLine(const LaunchParams& params)
{
    std::wstring line = L"--source=" + QuoteArgumentIfNeeded(params.source);
    AddPiece(line, L" --tokenLogin=", params.tokenLogin);
    if (!params.token.empty()) {
        line += L" --token=";
        line += params.source == L"KV" ? QuoteArgumentIfNeeded(params.token) : QuoteArgument(params.token);
    }
    AddPiece(line, L" --kvext=", params.kvext);
    AddPiece(line, L" --winid=", params.gameMgrId);
    AddPiece(line, L" --typeMode=", params.typeMode);
    AddPiece(line, L" --instGamePath=", params.instGamePath);
    AddPiece(line, L" --cacheGamePath=", params.cacheGamePath);
    return line;
}
