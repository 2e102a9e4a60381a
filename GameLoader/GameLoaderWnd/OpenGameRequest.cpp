#include "GameLoaderWnd/OpenGameRequest.h"

#include <exception>

#include "GameLoader/JsonText.h"

namespace {

void StoreString(const Json::Value& root, const char* key, std::wstring& field, const ToWideText& toWide)
{
    const Json::Value* member = root.find(key, key + std::char_traits<char>::length(key));
    if (member != nullptr && member->isString())
        field = toWide(member->asString());
}

}  // namespace

bool ReadOpenGameRequest(const std::string& narrowText, LaunchParams& params, const ToWideText& toWide)
{
    Json::Value root;
    if (!ParseLauncherJson(narrowText, root))
        return false;
    // An array, number or string at the root refuses the member lookup; the
    // game is still started with the values stored so far.
    try {
        StoreString(root, "token", params.token, toWide);
        StoreString(root, "kvext", params.kvext, toWide);
    } catch (const std::exception&) {
    }
    return true;
}
