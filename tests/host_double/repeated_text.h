// Long inputs for the tests that feed the library more text than a camera would.
#pragma once

#include <cstddef>
#include <string>

namespace tesh::test {

inline std::string repeat(const std::string& piece, std::size_t times)
{
    std::string text;
    text.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

} // namespace tesh::test
