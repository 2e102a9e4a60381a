#include "GameLoader/ParseCmdJson.h"

#include <windows.h>

#include "Common/Text.h"
#include "Log/Log.h"
#include "Log/LoginTokens.h"
#include "Settings/LocalSettings.h"

bool ParseCmdJson(LaunchParams& params)
{
    if (params.cmdJson.empty()) {
        LOG_CALL(2, L"m_strCmdJson is empty");
        return false;
    }
    LOG_CALL(2, L"m_strCmdJson is:" << HideLoginTokens(params.cmdJson));

    const CmdJsonReading reading = ReadCmdJson(WideToMultiByte(params.cmdJson, CP_ACP), params, &AnsiToWide);
    if (!reading.parsed) {
        LOG_CALL(0, L"reader.parse:" << HideLoginTokens(params.cmdJson) << L" false");
        return false;
    }
    if (reading.winidStored)
        SavePlatformWindowId(params.winid, GetSettingPath());
    return true;
}
