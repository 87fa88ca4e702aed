// The bytes of a file, for tests that compare what a program carries with
// the files it was built from, or with a stored expectation.
#pragma once
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// The whole file, or nothing when it cannot be read.
inline std::string fileText(const char* path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}
inline std::vector<unsigned char> readFileBytes(const char* path) {
    const std::string text = fileText(path);
    return std::vector<unsigned char>(text.begin(), text.end());
}
