// A named value of an object or best shot, as the host reads it.
#pragma once

#include <string>

#include <tesh/sdk/helpers/ref_countable.h>
#include <tesh/sdk/i_attribute.h>

namespace tesh::sdk::analytics {

class Attribute: public RefCountable<IAttribute>
{
public:
    Attribute(std::string name, std::string value, float confidence):
        Attribute(0, std::move(name), std::move(value), confidence)
    {}

    Attribute(int type, std::string name, std::string value, float confidence):
        m_type(type),
        m_name(std::move(name)),
        m_value(std::move(value)),
        m_confidence(confidence)
    {}

    int type() const override { return m_type; }
    const char* name() const override { return m_name.c_str(); }
    const char* value() const override { return m_value.c_str(); }
    float confidence() const override { return m_confidence; }

protected:
    ~Attribute() override = default;

private:
    const int m_type;
    const std::string m_name;
    const std::string m_value;
    const float m_confidence;
};

} // namespace tesh::sdk::analytics
