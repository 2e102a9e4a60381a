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

// The launcher's format for the command text: compact, members in ascending
// key order, one trailing line feed.  The values are bytes in the ANSI code
// page, not UTF-8: they are written through unchanged (only the JSON escapes
// are applied), because re-encoding them as \u escapes would decode GBK
// bytes as if they were UTF-8 and turn Chinese text into other characters.
std::string WriteCompact(const Json::Value& value)
{
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    builder["emitUTF8"] = true;
    return Json::writeString(builder, value) + "\n";
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
