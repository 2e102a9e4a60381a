#include "GameLoader/CmdParam.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "Common/Text.h"
#include "GameLoader/CommandText.h"
#include "Log/Log.h"
#include "Log/LoginTokens.h"

bool ParseCmdParam(std::wstring& commandText)
{
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr) {
        LOG_CALL(0, L"CommandLineToArgvW szArgList is NULL");
        return false;
    }
    std::vector<std::wstring> items(arguments, arguments + count);
    LocalFree(arguments);

    commandText = MakeCommandText(
        items, [](const std::wstring& text) { return WideToMultiByte(text, CP_ACP); }, &AnsiToWide,
        [](int index, const std::wstring& item) {
            LOG_CALL(2, L"CommandLineToArgvW argCount:" << index << L" szArgList:" << HideLoginTokens(item));
        });
    return true;
}
