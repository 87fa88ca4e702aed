// The images the saver draws with travel inside the executable. A port
// supplies lookupResource(): given a resource name, the bytes and their count,
// valid for the life of the process, or nothing.
#pragma once
#include <cstdint>

struct ResourceBytes {
    const unsigned char* data;
    uint32_t size;
};

// True and the bytes when the executable carries a resource of that name with
// at least one byte; false (and out untouched) otherwise.
bool lookupResource(const char* name, ResourceBytes* out);
