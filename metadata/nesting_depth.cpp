// A linear pre-scan of XML text that bounds how deeply rapidxml would recurse into it.
#include "nesting_depth.h"

#include <cstring>
#include <string_view>

namespace tesh::vms_server_plugins::analytics::qv {

namespace {

/** rapidxml's white space. */
bool isXmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

/** What rapidxml takes into an element name; quotes and "=" included, so they must not open a value here. */
bool isElementNameChar(char c)
{
    return c != '\0' && !isXmlSpace(c) && c != '/' && c != '>' && c != '?';
}

/** What rapidxml takes into an attribute name. */
bool isAttributeNameChar(char c)
{
    return isElementNameChar(c) && c != '<' && c != '=' && c != '!';
}

/**
 * Each step mirrors the rapidxml function that reads the same construct, so that the scan and the parser stay at
 * the same place in the text; where rapidxml would throw, the scan gives up.
 */
class NestingScan
{
public:
    NestingScan(const char* text, std::size_t size): m_text(text), m_size(lengthBeforeZero(text, size)) {}

    bool within(int maxDepth)
    {
        int depth = 0;
        for (;;)
        {
            if (!skipTo('<'))
                return depth == 0;
            ++m_pos;
            if (at(0) == '/')
            {
                // At the top rapidxml reads "</" as an element without a name.
                if (depth == 0 || !skipEndTag())
                    return false;
                --depth;
                continue;
            }
            bool opens = false;
            if (!skipMarkup(&opens))
                return false;
            if (opens && ++depth > maxDepth)
                return false;
        }
    }

private:
    static std::size_t lengthBeforeZero(const char* text, std::size_t size)
    {
        const void* zero = std::memchr(text, '\0', size);
        return zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - text) : size;
    }

    /** Past the end reads as the zero byte that rapidxml stops at. */
    char at(std::size_t offset) const { return m_pos + offset < m_size ? m_text[m_pos + offset] : '\0'; }

    /** To the next occurrence of c; at the end, false. Searched with memchr: text and values are most of the bytes. */
    bool skipTo(char c)
    {
        const void* found = std::memchr(m_text + m_pos, c, m_size - m_pos);
        m_pos = found ? static_cast<std::size_t>(static_cast<const char*>(found) - m_text) : m_size;
        return found != nullptr;
    }

    bool startsWith(std::string_view prefix) const
    {
        for (std::size_t i = 0; i < prefix.size(); ++i)
        {
            if (at(i) != prefix[i])
                return false;
        }
        return true;
    }

    bool skipPast(std::string_view terminator)
    {
        for (; skipTo(terminator[0]); ++m_pos)
        {
            if (startsWith(terminator))
            {
                m_pos += terminator.size();
                return true;
            }
        }
        return false;
    }

    template<typename Predicate>
    void skipWhile(Predicate predicate)
    {
        while (predicate(at(0)))
            ++m_pos;
    }

    /** After "<": a declaration, comment, CDATA section, processing instruction or element start tag. */
    bool skipMarkup(bool* opens)
    {
        if (at(0) == '?')
        {
            ++m_pos;
            return skipPast("?>");
        }
        if (startsWith("!--"))
        {
            m_pos += 3;
            return skipPast("-->");
        }
        if (startsWith("![CDATA["))
        {
            m_pos += 8;
            return skipPast("]]>");
        }
        if (startsWith("!DOCTYPE"))
            return false;
        if (at(0) == '!')
        {
            ++m_pos;
            return skipPast(">");
        }
        return skipStartTag(opens);
    }

    /** After "<": the name, the attributes, then ">" (opens an element) or "/>". */
    bool skipStartTag(bool* opens)
    {
        const std::size_t nameStart = m_pos;
        skipWhile(isElementNameChar);
        if (m_pos == nameStart)
            return false;
        skipWhile(isXmlSpace);
        while (isAttributeNameChar(at(0)))
        {
            if (!skipAttribute())
                return false;
        }
        if (at(0) == '>')
        {
            ++m_pos;
            *opens = true;
            return true;
        }
        if (at(0) == '/' && at(1) == '>')
        {
            m_pos += 2;
            return true;
        }
        return false;
    }

    /** name = "value" or name = 'value', and the white space after it. */
    bool skipAttribute()
    {
        skipWhile(isAttributeNameChar);
        skipWhile(isXmlSpace);
        if (at(0) != '=')
            return false;
        ++m_pos;
        skipWhile(isXmlSpace);
        const char quote = at(0);
        if (quote != '"' && quote != '\'')
            return false;
        ++m_pos;
        if (!skipTo(quote))
            return false;
        ++m_pos;
        skipWhile(isXmlSpace);
        return true;
    }

    /** After "<": "/", the name rapidxml does not check, white space, ">". */
    bool skipEndTag()
    {
        ++m_pos;
        skipWhile(isElementNameChar);
        skipWhile(isXmlSpace);
        if (at(0) != '>')
            return false;
        ++m_pos;
        return true;
    }

    const char* const m_text;
    const std::size_t m_size;
    std::size_t m_pos = 0;
};

} // namespace

bool nestingWithin(const char* text, std::size_t size, int maxDepth)
{
    if (!text)
        return false;
    return NestingScan(text, size).within(maxDepth);
}

} // namespace tesh::vms_server_plugins::analytics::qv
