#include "platform/resource_bytes.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

// The images are RCDATA resources of the executable itself (resources/zellik.rc).
// A locked resource stays mapped for the life of the process, so the bytes
// need no release.
bool lookupResource(const char* name, ResourceBytes* out) {
    if (name == nullptr)
        return false;
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, name, RT_RCDATA);
    if (found == nullptr)
        return false;
    const DWORD size = SizeofResource(module, found);
    if (size == 0)
        return false;
    HGLOBAL loaded = LoadResource(module, found);
    if (loaded == nullptr)
        return false;
    const void* bytes = LockResource(loaded);
    if (bytes == nullptr)
        return false;
    out->data = static_cast<const unsigned char*>(bytes);
    out->size = static_cast<uint32_t>(size);
    return true;
}
