// Fuzz target: bytes handed to the mask loader as if they were a resource.
// Any input may fail to decode; none may read outside its bytes, leak, or
// take more than a moment. The decoder's messages about damaged data go to
// stderr; run with -close_fd_mask=2 to keep only the fuzzer's own output.
#include "tiles/mask_texture.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size > 1u << 20)
        return 0;
    MaskTexture texture{};
    if (decodeMaskTexture(texture, data, static_cast<uint32_t>(size)))
        discardMaskPixels(texture);
    return 0;
}
