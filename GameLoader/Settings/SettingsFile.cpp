#include "Settings/SettingsFile.h"

#include <tinyxml.h>

#include <cctype>
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

std::string ReadAll(std::FILE* file)
{
    std::string content;
    char buffer[4096];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        content.append(buffer, got);
    return content;
}

bool Load(const SettingsFileOpener& open, TiXmlDocument& document)
{
    std::FILE* file = open("rb");
    if (file == nullptr)
        return false;
    // The depth is measured before the library sees the text: it would
    // recurse once per level and run out of stack on a hostile file.
    const bool shallow = XmlNestingDepth(ReadAll(file), kMaxSettingsNesting) <= kMaxSettingsNesting &&
                         std::fseek(file, 0, SEEK_SET) == 0;
    const bool loaded = shallow && document.LoadFile(file);
    std::fclose(file);
    return loaded;
}

bool Save(const SettingsFileAccess& access, const TiXmlDocument& document)
{
    // Text mode, as the XML library writes its files itself.
    std::FILE* file = access.createReplacement();
    if (file == nullptr)
        return false;
    bool written = document.SaveFile(file);
    written = std::fflush(file) == 0 && written;
    written = std::fclose(file) == 0 && written;
    if (!written || !access.replaceWithReplacement()) {
        access.removeReplacement();
        return false;
    }
    return true;
}

size_t SkipPast(const std::string& text, size_t from, const char* end)
{
    const size_t at = text.find(end, from);
    return at == std::string::npos ? text.size() : at + std::char_traits<char>::length(end);
}

}  // namespace

bool SaveSettingElement(const SettingsFileAccess& access, const char* element, const std::string& utf8Value)
{
    const SettingsFileOpener& open = access.open;
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
    return Save(access, document);
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

int XmlNestingDepth(const std::string& text, int limit)
{
    // Follows how the XML library tells the pieces of a text apart, so that
    // nothing it would read as an element start is skipped here.
    int depth = 0;
    int deepest = 0;
    size_t at = 0;
    while (at < text.size()) {
        if (text[at] != '<') {
            ++at;
            continue;
        }
        if (text.compare(at, 4, "<!--") == 0) {
            at = SkipPast(text, at + 4, "-->");
            continue;
        }
        if (text.compare(at, 9, "<![CDATA[") == 0) {
            at = SkipPast(text, at + 9, "]]>");
            continue;
        }
        const unsigned char next = at + 1 < text.size() ? static_cast<unsigned char>(text[at + 1]) : 0;
        if (next == '/') {
            if (depth > 0)
                --depth;
            at = SkipPast(text, at + 2, ">");
            continue;
        }
        // Declarations, processing instructions and anything unknown end
        // at the first '>'.  Bytes from 127 up start element names.
        if (!(std::isalpha(next) || next == '_' || next >= 127)) {
            at = SkipPast(text, at + 1, ">");
            continue;
        }
        // A start tag; quoted attribute values may hold '>' and "/>".
        ++at;
        while (at < text.size() && text[at] != '>') {
            if (text[at] == '"' || text[at] == '\'') {
                const size_t close = text.find(text[at], at + 1);
                at = close == std::string::npos ? text.size() : close + 1;
            } else {
                ++at;
            }
        }
        const bool empty = at < text.size() && text[at - 1] == '/';
        ++at;
        if (empty)
            continue;
        if (++depth > deepest) {
            deepest = depth;
            if (deepest > limit)
                return limit + 1;
        }
    }
    return deepest;
}
