// The decoder's view of a resource: the whole image is in memory for the life
// of the process, so the source hands it over in one piece and never
// suspends.
#pragma once
#include <cstdint>
#include <cstdio>

#include <jpeglib.h>

struct ResourceSource {
    uint32_t reserved; // 0
    uint32_t size;     // bytes
    const unsigned char* data;
};

// The library's source manager followed by the source it was filled from.
struct ResourceSourceManager {
    jpeg_source_mgr manager;
    const ResourceSource* source;
};

void installResourceSource(j_decompress_ptr decoder, const ResourceSource* source);
