// A linear pre-scan of XML text that bounds how deeply rapidxml would recurse into it.
#include "markup_scan.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace tesh::vms_server_plugins::analytics::qv {

namespace {

/** Classes of characters, one bit each, looked up in a table per byte as rapidxml looks up its own. */
enum CharClass : unsigned char
{
    kSpace = 1 << 0, //< rapidxml's white space.
    kElementName = 1 << 1, //< What rapidxml takes into an element name; quotes and "=" included.
    kAttributeName = 1 << 2, //< What rapidxml takes into an attribute name.
};

/** One entry per byte value; the zero byte belongs to no class, as it ends rapidxml's text. */
struct CharClassTable
{
    unsigned char classes[256] = {};
};

constexpr bool isXmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

constexpr unsigned char classOf(char c)
{
    if (c == '\0')
        return 0;
    if (isXmlSpace(c))
        return kSpace;
    if (c == '/' || c == '>' || c == '?')
        return 0;
    if (c == '<' || c == '=' || c == '!')
        return kElementName;
    return kElementName | kAttributeName;
}

constexpr CharClassTable makeCharClassTable()
{
    CharClassTable table;
    for (int byte = 0; byte < 256; ++byte)
        table.classes[byte] = classOf(static_cast<char>(byte));
    return table;
}

constexpr CharClassTable kCharClasses = makeCharClassTable();

bool isIn(char c, CharClass charClass)
{
    return (kCharClasses.classes[static_cast<unsigned char>(c)] & charClass) != 0;
}

using Word = std::uint64_t;

constexpr Word kEveryByte = ~Word(0) / 0xFF; //< 0x0101...01
constexpr Word kHighBits = kEveryByte * 0x80;

Word wordAt(const char* at)
{
    Word word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

/**
 * Whether one of the word's bytes is below the limit, which is at most 0x80; exact. Which byte it is, is left to the
 * bytewise loops that follow, whatever the byte order: computing it here makes a longer chain of dependent steps,
 * which measured slower than those loops, whose branches the processor predicts well.
 */
constexpr bool hasByteBelow(Word word, unsigned char limit)
{
    return ((word - kEveryByte * limit) & ~word & kHighBits) != 0;
}

constexpr bool hasZeroByte(Word word)
{
    return hasByteBelow(word, 1);
}

/**
 * Whether the word may hold a byte that ends an element name: white space, "/", ">", "?" or zero. It holds none
 * when false; true may also come from other bytes below "0" ("-", "." and the like), which names seldom hold.
 */
constexpr bool mayEndElementName(Word word)
{
    constexpr Word kQuestionMarks = kEveryByte * '?';
    return hasByteBelow(word, '0') || hasZeroByte((word | kEveryByte) ^ kQuestionMarks); //< ">" is "?" but for bit 0.
}

/**
 * Runs between markup are mostly a few bytes of indentation or a short value, too short to repay a call to
 * memchr: the first bytes are searched a word at a time in line, and only a longer run goes to memchr.
 */
constexpr std::size_t kInlineSearchBytes = 4 * sizeof(Word);

const char* find(char c, const char* from, const char* end)
{
    const Word pattern = kEveryByte * static_cast<unsigned char>(c);
    const char* const inlineEnd
        = static_cast<std::size_t>(end - from) > kInlineSearchBytes ? from + kInlineSearchBytes : end;
    for (; inlineEnd - from >= static_cast<std::ptrdiff_t>(sizeof(Word)); from += sizeof(Word))
    {
        if (hasZeroByte(wordAt(from) ^ pattern))
            break;
    }
    for (; from < inlineEnd; ++from)
    {
        if (*from == c)
            return from;
    }
    if (from == end)
        return nullptr;
    return static_cast<const char*>(std::memchr(from, c, static_cast<std::size_t>(end - from)));
}

/**
 * Each step mirrors the rapidxml function that reads the same construct, so that the scan and the parser stay at
 * the same place in the text; where rapidxml would throw, the scan gives up.
 *
 * The text it is given ends in ">", and no zero byte comes before. Every piece of markup ends at a ">", so each
 * step reads the next byte only after one that is not ">", and that byte is always there: the final ">" stops the
 * loops below the way the zero byte stops rapidxml's, without a bounds check per byte.
 */
class NestingScan
{
    enum class StartTag
    {
        none, //< Markup other than an element.
        opens,
        closesItself,
    };

public:
    NestingScan(const char* text, const char* end): m_pos(text), m_end(end) {}

    /** What the scan noted of the markup on its way; complete once within() has answered true. */
    const MarkupScan& seen() const { return m_seen; }

    bool within(int maxDepth)
    {
        int depth = 0;
        while (skipTo('<'))
        {
            ++m_pos;
            if (*m_pos == '/')
            {
                // At the top rapidxml reads "</" as an element without a name.
                if (depth == 0 || !skipEndTag())
                    return false;
                --depth;
                continue;
            }
            StartTag tag = StartTag::none;
            if (!skipMarkup(&tag))
                return false;
            // An element that closes itself lies a level down too, as it does among the elements rapidxml makes.
            if (tag != StartTag::none && depth + 1 > maxDepth)
                return false;
            if (tag == StartTag::opens)
                ++depth;
        }
        return depth == 0;
    }

private:
    /** To the next occurrence of c; at the end, false. */
    bool skipTo(char c)
    {
        const char* const found = find(c, m_pos, m_end);
        m_pos = found ? found : m_end;
        return found != nullptr;
    }

    /** The comparison stops at the first byte that differs, so it reads no further than the final ">". */
    bool startsWith(const char* prefix) const
    {
        for (const char* at = m_pos; *prefix; ++at, ++prefix)
        {
            if (*at != *prefix)
                return false;
        }
        return true;
    }

    /** Past the terminator, which ends in ">" as all of those below do. */
    bool skipPast(const char* terminator)
    {
        for (; skipTo(terminator[0]); ++m_pos)
        {
            if (startsWith(terminator))
            {
                m_pos += std::strlen(terminator);
                return true;
            }
        }
        return false;
    }

    void skipWhile(CharClass charClass)
    {
        while (isIn(*m_pos, charClass))
            ++m_pos;
    }

    /** Names are most of the bytes of markup: whole words of name bytes are passed over before the bytewise end. */
    void skipElementName()
    {
        while (m_end - m_pos >= static_cast<std::ptrdiff_t>(sizeof(Word)) && !mayEndElementName(wordAt(m_pos)))
            m_pos += sizeof(Word);
        skipWhile(kElementName);
    }

    /** After "<": a declaration, comment, CDATA section, processing instruction or element start tag. */
    bool skipMarkup(StartTag* tag)
    {
        if (*m_pos == '?')
        {
            ++m_pos;
            return skipPast("?>");
        }
        if (*m_pos == '!')
            return skipDeclaration();
        return skipStartTag(tag);
    }

    /** After "<": "!" and then a comment, a CDATA section or another declaration. */
    bool skipDeclaration()
    {
        if (startsWith("!--"))
        {
            m_pos += 3;
            return skipPast("-->");
        }
        if (startsWith("![CDATA["))
        {
            m_seen.hasCData = true;
            m_pos += 8;
            return skipPast("]]>");
        }
        if (startsWith("!DOCTYPE"))
            return false;
        ++m_pos;
        return skipPast(">");
    }

    /** After "<": the name, the attributes, then ">" (opens an element) or "/>". */
    bool skipStartTag(StartTag* tag)
    {
        const char* const nameStart = m_pos;
        skipElementName();
        if (m_pos == nameStart)
            return false;
        skipWhile(kSpace);
        while (isIn(*m_pos, kAttributeName))
        {
            if (m_startTagsSeen > 0 && startsWith("xmlns"))
                m_seen.declaresNamespacesBelowFirst = true;
            if (!skipAttribute())
                return false;
        }
        ++m_startTagsSeen;
        if (*m_pos == '>')
        {
            ++m_pos;
            *tag = StartTag::opens;
            return true;
        }
        if (*m_pos == '/' && m_pos[1] == '>')
        {
            m_pos += 2;
            *tag = StartTag::closesItself;
            return true;
        }
        return false;
    }

    /** name = "value" or name = 'value', and the white space after it. */
    bool skipAttribute()
    {
        skipWhile(kAttributeName);
        skipWhile(kSpace);
        if (*m_pos != '=')
            return false;
        ++m_pos;
        skipWhile(kSpace);
        const char quote = *m_pos;
        if (quote != '"' && quote != '\'')
            return false;
        ++m_pos;
        if (!skipTo(quote))
            return false;
        ++m_pos;
        skipWhile(kSpace);
        return true;
    }

    /** After "<": "/", the name rapidxml does not check, white space, ">". */
    bool skipEndTag()
    {
        ++m_pos;
        skipElementName();
        skipWhile(kSpace);
        if (*m_pos != '>')
            return false;
        ++m_pos;
        return true;
    }

    const char* m_pos;
    const char* const m_end;
    int m_startTagsSeen = 0;
    MarkupScan m_seen;
};

const char* firstZero(const char* text, std::size_t size)
{
    const void* zero = std::memchr(text, '\0', size);
    return zero ? static_cast<const char*>(zero) : text + size;
}

const char* lastOf(char c, const char* text, const char* end)
{
    const std::size_t at = std::string_view(text, static_cast<std::size_t>(end - text)).rfind(c);
    return at == std::string_view::npos ? nullptr : text + at;
}

bool contains(char c, const char* text, const char* end)
{
    return std::memchr(text, c, static_cast<std::size_t>(end - text)) != nullptr;
}

} // namespace

MarkupScan scanMarkup(const char* text, std::size_t size, int maxDepth)
{
    MarkupScan refused;
    if (!text)
        return refused;
    const char* const end = firstZero(text, size);
    // Markup ends at a ">": a "<" with no ">" after it is markup that breaks off, and text after the last ">"
    // holds no markup, so the scan can end at that ">" and let it stand in for the zero byte.
    const char* const lastClose = lastOf('>', text, end);
    if (!lastClose)
    {
        MarkupScan noMarkup;
        noMarkup.nestsWithin = !contains('<', text, end);
        return noMarkup;
    }
    if (contains('<', lastClose + 1, end))
        return refused;
    NestingScan scan(text, lastClose + 1);
    if (!scan.within(maxDepth))
        return refused;
    MarkupScan seen = scan.seen();
    seen.nestsWithin = true;
    return seen;
}

} // namespace tesh::vms_server_plugins::analytics::qv
