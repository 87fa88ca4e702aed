// Resource lookup for systems without executable resources: the build embeds
// the files of resources/ as byte arrays (see cmake/EmbedResources.cmake) and
// this looks them up by the same names the Windows resource script uses.
#include "platform/resource_bytes.h"
#include "platform/embedded_resources.h"

#include <cstring>

bool lookupResource(const char* name, ResourceBytes* out) {
    if (name == nullptr)
        return false;
    for (int i = 0; i < kEmbeddedResourceCount; ++i) {
        const EmbeddedResource& resource = kEmbeddedResources[i];
        if (std::strcmp(resource.name, name) == 0 && resource.size > 0) {
            out->data = resource.data;
            out->size = resource.size;
            return true;
        }
    }
    return false;
}
