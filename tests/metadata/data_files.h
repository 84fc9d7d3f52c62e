// The camera documents kept under tests/data, read as the host would hand them over.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace tesh::test {

inline std::string readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    EXPECT_FALSE(text.str().empty()) << path;
    return text.str();
}

inline std::string readDataFile(const std::string& name)
{
    return readFile(std::string(QV_TEST_DATA_DIR) + "/" + name);
}

} // namespace tesh::test
