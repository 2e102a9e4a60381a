#include "GameLoader/CommandText.h"

#include <json/json.h>

const LaunchSwitch kLaunchSwitches[10] = {
    {L"--winid=", "winid"},
    {L"--source=", "source"},
    {L"--tokenLogin=", "tokenLogin"},
    {L"--token=", "token"},
    {L"--kvext=", "kvext"},
    {L"--installed=", "installed"},
    {L"--gameMgrId=", "gameMgrId"},
    {L"--typeMode=", "typeMode"},
    {L"--instGamePath=", "instGamePath"},
    {L"--cacheGamePath=", "cacheGamePath"},
};

namespace {

// FastWriter is the launcher's format for the command text: compact,
// members in ascending key order, one trailing line feed.
std::string WriteCompact(const Json::Value& value)
{
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    Json::FastWriter writer;
    return writer.write(value);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
}

// The text after the first occurrence of `prefix`, narrowed.
std::string SwitchValue(const std::wstring& item, const std::wstring& prefix,
                        const ToNarrowText& toNarrow)
{
    const std::wstring::size_type at = item.find(prefix);
    return toNarrow(item.substr(at + prefix.size()));
}

}  // namespace

std::wstring MakeCommandText(const std::vector<std::wstring>& items, const ToNarrowText& toNarrow,
                             const ToWideText& toWide, const LogCommandItem& logItem)
{
    if (items.empty())
        return std::wstring();

    if (items.size() <= 2) {
        const std::wstring& last = items.back();
        const std::wstring installed = L"--installed=";
        if (last.find(installed) == std::wstring::npos)
            return last;
        Json::Value root;
        root["installed"] = SwitchValue(last, installed, toNarrow);
        return toWide(WriteCompact(root));
    }

    Json::Value root;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::wstring& item = items[i];
        if (logItem)
            logItem(static_cast<int>(i), item);
        for (const LaunchSwitch& candidate : kLaunchSwitches) {
            if (item.find(candidate.prefix) != std::wstring::npos) {
                root[candidate.key] = SwitchValue(item, candidate.prefix, toNarrow);
                break;
            }
        }
    }
    return toWide(WriteCompact(root));
}
