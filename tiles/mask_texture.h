// A greyscale mask carried in the executable as a JPEG, decoded once at
// start-up and uploaded as a mipmapped texture. A one-component image becomes
// an alpha-only texture, so its grey level is the opacity of whatever colour
// it is drawn in.
#pragma once
#include <cstdint>

struct MaskTexture {
    unsigned char* pixels; // decoded rows, top row first; released by the upload
    int32_t bitsPerPixel;  // 8 for greyscale, 24 for colour
    int32_t width;         // pixels
    int32_t height;        // pixels
    uint32_t textureName;  // 0 until the upload creates the texture
};

// Images larger than this on either side are refused: no mask needs them,
// and a damaged header must not make the loader ask for gigabytes.
constexpr int32_t kMaxMaskSide = 8192;

// Decodes the named resource into `texture` and uploads it (OpenGL context
// current). False on every failure; the decoder's own messages go to stderr,
// a missing resource prints nothing. Nothing acquired survives a failure.
bool loadMaskTexture(MaskTexture& texture, const char* resourceName);

// The decoding half of the load: the JPEG in data[0, size) into
// texture.pixels, width, height and bitsPerPixel. Needs no OpenGL. Never reads
// outside the given bytes, however damaged they are.
bool decodeMaskTexture(MaskTexture& texture, const unsigned char* data, uint32_t size);

// Creates the texture from the decoded pixels (OpenGL context current),
// releases the pixels and returns true.
bool uploadMaskTexture(MaskTexture& texture);

// Frees decoded pixels that were never uploaded.
void discardMaskPixels(MaskTexture& texture);
