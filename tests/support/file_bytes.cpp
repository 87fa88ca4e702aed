#include "tests/support/file_bytes.h"

#include <cstdio>

std::vector<unsigned char> readFileBytes(const char* path) {
    std::vector<unsigned char> bytes;
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr)
        return bytes;
    unsigned char chunk[65536];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(file);
    return bytes;
}

std::string fileText(const char* path) {
    const std::vector<unsigned char> bytes = readFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}
