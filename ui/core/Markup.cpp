#include "Markup.h"

#include "AttributeSyntax.h"

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsNameChar(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == '.' || c == ':' || u >= 0x80;
}

class Parser {
public:
    Parser(std::string_view text, std::string* error) : m_text(text), m_error(error) {}

    bool ParseDocument(MarkupNode& root)
    {
        if (m_text.substr(0, 3) == "\xEF\xBB\xBF")
            m_pos = 3;
        if (!SkipMisc())
            return false;
        if (!ParseElement(root, 1))
            return false;
        if (!SkipMisc())
            return false;
        if (m_pos != m_text.size())
            return Fail("content after the root element");
        return true;
    }

private:
    bool Fail(const char* reason)
    {
        if (m_error && m_error->empty())
            *m_error = std::string(reason) + " at byte " + std::to_string(m_pos);
        return false;
    }

    bool AtEnd() const { return m_pos >= m_text.size(); }
    bool StartsWith(std::string_view prefix) const { return m_text.substr(m_pos, prefix.size()) == prefix; }
    void SkipSpace()
    {
        while (!AtEnd() && IsSpace(m_text[m_pos]))
            ++m_pos;
    }

    bool SkipUntil(std::string_view terminator)
    {
        const size_t end = m_text.find(terminator, m_pos);
        if (end == std::string_view::npos)
            return Fail("unterminated prolog or comment");
        m_pos = end + terminator.size();
        return true;
    }

    // White space, prologs and comments between elements.
    bool SkipMisc()
    {
        for (;;) {
            SkipSpace();
            if (StartsWith("<?")) {
                if (!SkipUntil("?>"))
                    return false;
            } else if (StartsWith("<!--")) {
                m_pos += 4;
                if (!SkipUntil("-->"))
                    return false;
            } else {
                return true;
            }
        }
    }

    bool ParseName(std::string& name)
    {
        const size_t start = m_pos;
        while (!AtEnd() && IsNameChar(m_text[m_pos]))
            ++m_pos;
        if (m_pos == start)
            return Fail("a name was expected");
        name.assign(m_text.substr(start, m_pos - start));
        return true;
    }

    bool DecodeEntity(std::string& out)
    {
        const size_t end = m_text.find(';', m_pos);
        if (end == std::string_view::npos || end - m_pos > 12)
            return Fail("unterminated entity");
        const std::string_view entity = m_text.substr(m_pos + 1, end - m_pos - 1);
        m_pos = end + 1;
        if (entity == "amp") out += '&';
        else if (entity == "lt") out += '<';
        else if (entity == "gt") out += '>';
        else if (entity == "quot") out += '"';
        else if (entity == "apos") out += '\'';
        else if (entity.size() > 1 && entity[0] == '#') {
            const bool hex = entity[1] == 'x' || entity[1] == 'X';
            const std::string_view digits = entity.substr(hex ? 2 : 1);
            if (digits.empty())
                return Fail("empty character reference");
            unsigned long code = 0;
            for (char c : digits) {
                int digit;
                if (c >= '0' && c <= '9') digit = c - '0';
                else if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
                else if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
                else return Fail("bad character reference");
                code = code * (hex ? 16 : 10) + static_cast<unsigned long>(digit);
                if (code > 0x10FFFF)
                    return Fail("character reference out of range");
            }
            if (code == 0 || (code >= 0xD800 && code <= 0xDFFF))
                return Fail("character reference out of range");
            AppendUtf8(out, code);
        } else {
            return Fail("unknown entity");
        }
        return true;
    }

    bool ParseAttributeValue(std::string& value)
    {
        if (AtEnd() || (m_text[m_pos] != '"' && m_text[m_pos] != '\''))
            return Fail("a quoted attribute value was expected");
        const char quote = m_text[m_pos++];
        while (!AtEnd() && m_text[m_pos] != quote) {
            const char c = m_text[m_pos];
            if (c == '<')
                return Fail("'<' inside an attribute value");
            if (c == '&') {
                if (!DecodeEntity(value))
                    return false;
            } else {
                value += c;
                ++m_pos;
            }
        }
        if (AtEnd())
            return Fail("unterminated attribute value");
        ++m_pos;
        return true;
    }

    bool ParseElement(MarkupNode& node, int depth)
    {
        if (depth > kMaxMarkupDepth)
            return Fail("elements nested too deeply");
        if (AtEnd() || m_text[m_pos] != '<')
            return Fail("an element was expected");
        ++m_pos;
        if (!ParseName(node.name))
            return false;
        for (;;) {
            const size_t before = m_pos;
            SkipSpace();
            if (AtEnd())
                return Fail("unterminated start tag");
            if (StartsWith("/>")) {
                m_pos += 2;
                return true;
            }
            if (m_text[m_pos] == '>') {
                ++m_pos;
                break;
            }
            if (m_pos == before)
                return Fail("white space was expected before an attribute");
            std::string name;
            std::string value;
            if (!ParseName(name))
                return false;
            SkipSpace();
            if (AtEnd() || m_text[m_pos] != '=')
                return Fail("'=' was expected");
            ++m_pos;
            SkipSpace();
            if (!ParseAttributeValue(value))
                return false;
            node.attributes.emplace_back(std::move(name), std::move(value));
        }
        // Content: child elements, comments and white space, then the end tag.
        for (;;) {
            if (!SkipMisc())
                return false;
            if (AtEnd())
                return Fail("unclosed element");
            if (StartsWith("</")) {
                m_pos += 2;
                std::string closing;
                if (!ParseName(closing))
                    return false;
                if (closing != node.name)
                    return Fail("badly nested element");
                SkipSpace();
                if (AtEnd() || m_text[m_pos] != '>')
                    return Fail("'>' was expected");
                ++m_pos;
                return true;
            }
            if (m_text[m_pos] != '<')
                return Fail("text outside an attribute");
            node.children.emplace_back();
            if (!ParseElement(node.children.back(), depth + 1))
                return false;
        }
    }

    std::string_view m_text;
    std::string* m_error;
    size_t m_pos = 0;
};

}  // namespace

bool ParseMarkup(std::string_view text, MarkupNode& root, std::string* error)
{
    root = MarkupNode{};
    if (error)
        error->clear();
    Parser parser(text, error);
    if (parser.ParseDocument(root))
        return true;
    root = MarkupNode{};
    return false;
}
