// Fuzz target: any bytes as a mask resource may fail to decode, never read
// outside them, leak or hang (-close_fd_mask=2 hides the decoder's warnings).
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
