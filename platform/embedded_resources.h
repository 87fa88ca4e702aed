// The table that the build generates from resources/ for systems without
// executable resources.
#pragma once
#include <cstdint>

struct EmbeddedResource {
    const char* name;
    const unsigned char* data;
    uint32_t size;
};

extern const EmbeddedResource kEmbeddedResources[];
extern const int kEmbeddedResourceCount;
