#include "tests/support/file_bytes.h"

#include <fstream>
#include <iterator>

std::vector<unsigned char> readFileBytes(const char* path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string fileText(const char* path) {
    const std::vector<unsigned char> bytes = readFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}
