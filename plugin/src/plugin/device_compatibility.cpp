// The compatibility rule: plain substring tests on the lower-cased vendor and model texts.
#include "device_compatibility.h"

#include <cctype>
#include <string>

namespace tesh::vms_server_plugins::analytics::qv {
namespace {

/** Byte by byte; through unsigned char, since tolower of a negative char other than EOF is undefined. */
std::string lowerCased(const char* text)
{
    std::string result = text ? text : "";
    for (char& c: result)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

bool contains(const std::string& text, const char* part)
{
    return text.find(part) != std::string::npos;
}

} // namespace

bool isCompatibleDevice(const char* vendor, const char* model)
{
    const std::string lowerVendor = lowerCased(vendor);
    if (!contains(lowerVendor, "qv") && !contains(lowerVendor, "quorvane"))
        return false;
    return contains(lowerCased(model), "rmtl");
}

} // namespace tesh::vms_server_plugins::analytics::qv
