#include "Settings/SettingsFile.h"

#include <tinyxml.h>

#include <cerrno>
#include <cstdio>

const char* const kPlatformWindowIdElement = "kvwindowid";
const char* const kLoginSourceElement = "loginsource";

namespace {

// Only a file that is really absent may be started afresh: one that exists
// but cannot be opened (locked, no access) must go through the load, which
// fails and leaves it alone, rather than be replaced by a new document.
bool FileIsMissing(const SettingsFileOpener& open)
{
    errno = 0;
    if (std::FILE* file = open("rb")) {
        std::fclose(file);
        return false;
    }
    return errno == ENOENT;
}

bool Load(const SettingsFileOpener& open, TiXmlDocument& document)
{
    std::FILE* file = open("rb");
    if (file == nullptr)
        return false;
    const bool loaded = document.LoadFile(file);
    std::fclose(file);
    return loaded;
}

bool Save(const SettingsFileOpener& open, const TiXmlDocument& document)
{
    // Text mode, as the XML library writes its files itself.
    std::FILE* file = open("w");
    if (file == nullptr)
        return false;
    const bool saved = document.SaveFile(file);
    return std::fclose(file) == 0 && saved;
}

}  // namespace

bool SaveSettingElement(const SettingsFileOpener& open, const char* element, const std::string& utf8Value)
{
    TiXmlDocument document;
    TiXmlElement* root = nullptr;
    if (FileIsMissing(open)) {
        root = document.LinkEndChild(new TiXmlElement("settings"))->ToElement();
    } else {
        if (!Load(open, document))
            return false;
        root = document.FirstChildElement();
        if (root == nullptr)
            return false;
    }

    TiXmlElement* target = root->FirstChildElement(element);
    if (target != nullptr)
        target->Clear();
    else
        target = root->LinkEndChild(new TiXmlElement(element))->ToElement();
    target->LinkEndChild(new TiXmlText(utf8Value.c_str()));
    return Save(open, document);
}

bool LoadSettingElement(const SettingsFileOpener& open, const char* element, std::string& value)
{
    TiXmlDocument document;
    if (!Load(open, document))
        return false;
    TiXmlElement* root = document.FirstChildElement();
    if (root == nullptr)
        return false;
    TiXmlElement* found = root->FirstChildElement(element);
    if (found == nullptr)
        return false;
    if (TiXmlNode* first = found->FirstChild()) {
        if (TiXmlText* text = first->ToText())
            value = text->ValueStr();
    }
    return true;
}
