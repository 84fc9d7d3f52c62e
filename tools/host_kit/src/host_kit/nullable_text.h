// Texts that a host object may hand out as null, for the hardening cases.
#pragma once

#include <optional>
#include <string>

namespace host_kit {

/** Built from a text, or from nullptr or std::nullopt for a null text; the pointer lives with the object. */
class NullableText
{
public:
    NullableText(const char* text)
    {
        if (text)
            m_text = text;
    }

    NullableText(std::string text): m_text(std::move(text)) {}
    NullableText(std::nullopt_t) {}

    const char* get() const { return m_text ? m_text->c_str() : nullptr; }
    bool isNull() const { return !m_text; }

private:
    std::optional<std::string> m_text;
};

} // namespace host_kit
