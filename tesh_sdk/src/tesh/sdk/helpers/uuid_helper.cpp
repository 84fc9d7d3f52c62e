// Random version-4 identifiers for object tracks, and their text forms for logs.
#include "uuid_helper.h"

#include <mutex>
#include <random>

#include <tesh/kit/immortal.h>

namespace tesh::sdk {

namespace {

/** One generator per process, seeded once; kept alive to the end so late threads can still draw. */
struct Generator
{
    std::mutex mutex;
    std::mt19937_64 engine{std::random_device()()};
};

Generator& generator()
{
    static kit::Immortal<Generator> instance;
    return instance.get();
}

void putLittleEndian(uint64_t value, uint8_t* bytes)
{
    for (int i = 0; i < 8; ++i)
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

} // namespace

Uuid randomUuid()
{
    uint64_t first = 0;
    uint64_t second = 0;
    {
        Generator& g = generator();
        const std::lock_guard<std::mutex> lock(g.mutex);
        first = g.engine();
        second = g.engine();
    }
    Uuid id;
    putLittleEndian(first, id.bytes);
    putLittleEndian(second, id.bytes + 8);
    id.bytes[6] = static_cast<uint8_t>((id.bytes[6] & 0x0F) | 0x40);
    id.bytes[8] = static_cast<uint8_t>((id.bytes[8] & 0x3F) | 0x80);
    return id;
}

std::string uuidToText(const Uuid& id, int formatFlags)
{
    const char* const digits = (formatFlags & uuidUppercase) ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string text;
    if (formatFlags & uuidBraces)
        text += '{';
    for (int i = 0; i < 16; ++i)
    {
        if ((formatFlags & uuidHyphens) && (i == 4 || i == 6 || i == 8 || i == 10))
            text += '-';
        text += digits[id.bytes[i] >> 4];
        text += digits[id.bytes[i] & 0x0F];
    }
    if (formatFlags & uuidBraces)
        text += '}';
    return text;
}

} // namespace tesh::sdk
