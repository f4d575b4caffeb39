// A file with the given text in the test's temporary directory.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>

inline std::string WriteTempFile(const std::string& name, const std::string& text) {
    std::string path = testing::TempDir() + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}
