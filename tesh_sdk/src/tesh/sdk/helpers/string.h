// A reference-counted text for the host.
#pragma once

#include <string>

#include <tesh/sdk/helpers/ref_countable.h>
#include <tesh/sdk/i_string.h>

namespace tesh::sdk {

class String: public RefCountable<IString>
{
public:
    explicit String(std::string text): m_text(std::move(text)) {}

    const char* str() const override { return m_text.c_str(); }

protected:
    ~String() override = default;

private:
    const std::string m_text;
};

} // namespace tesh::sdk
