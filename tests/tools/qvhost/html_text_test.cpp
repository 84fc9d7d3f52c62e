// The report page's escaping: whatever text the plug-in hands back, the page stays readable HTML and XML.
#include <gtest/gtest.h>

#include "html_text.h"

namespace {

TEST(HtmlText, escapesMarkupAndReplacesWhatXmlCannotHold)
{
    const struct
    {
        std::string text;
        std::string expected;
        const char* reason;
    } rows[] = {
        {"Line <1> & \"A\" 'B'", "Line &lt;1&gt; &amp; &quot;A&quot; &#39;B&#39;", "markup and both quotes"},
        {"Zone \xC3\xA9t\xC3\xA9 \xE2\x86\x92 \xF0\x9F\x9A\x97", "Zone \xC3\xA9t\xC3\xA9 \xE2\x86\x92 \xF0\x9F\x9A\x97",
            "UTF-8 of two, three and four bytes stays"},
        {"a\tb\nc\rd", "a\tb\nc\rd", "the white space XML allows stays"},
        {std::string("a\0b\x01"
                     "c\x1F",
             6),
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD"
            "c\xEF\xBF\xBD",
            "control characters XML forbids become U+FFFD"},
        {"x\xFFy\xC3", "x\xEF\xBF\xBDy\xEF\xBF\xBD", "a stray byte and a cut sequence"},
        {"\xC0\xAF\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD",
            "an overlong form and a surrogate, byte by byte"},
        {"\xEF\xBF\xBE", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD", "the non-character U+FFFE"},
    };
    for (const auto& row: rows)
        EXPECT_EQ(qvhost::escaped(row.text), row.expected) << row.reason;
}

} // namespace
