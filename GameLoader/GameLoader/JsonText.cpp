#include "GameLoader/JsonText.h"

#include <exception>

bool ParseLauncherJson(const std::string& text, Json::Value& root)
{
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    try {
        Json::Reader reader;
        return reader.parse(text, root, false);
    } catch (const std::exception&) {
        return false;
    }
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
}
