#include "GameLoader/JsonText.h"

#include <exception>

bool ParseJsonText(const std::string& text, Json::Value& root)
{
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    // The reader throws, rather than fails, on values nested beyond its
    // depth limit; for the launcher that text is simply not JSON it can read.
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
