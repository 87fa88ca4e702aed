#include "tiles/mask_texture.h"
#include "platform/gl.h"
#include "platform/resource_bytes.h"
#include "tiles/resource_source.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

namespace {

// The library's error manager followed by the jump back into the load.
struct DecodeErrorManager {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

// Replaces the library's error_exit, which would end the process: the
// message goes to stderr and control returns to the load, which cleans up.
[[noreturn]] void decodeErrorExit(j_common_ptr decoder) {
    (*decoder->err->output_message)(decoder);
    std::longjmp(reinterpret_cast<DecodeErrorManager*>(decoder->err)->jump, 1);
}

// Everything one decode may have to release on the way out. It lives in the
// caller's frame, outside the jump, so the recovery path sees what was made.
struct DecodeState {
    jpeg_decompress_struct decoder;
    DecodeErrorManager errors;
    ResourceSource* source;
};

// The static analyser cannot follow the jump from the decoder's error exit
// back into this function, and takes every library call as a place where the
// source record leaks; the recovery block below frees it on that path.
// NOLINTBEGIN(clang-analyzer-unix.Malloc)
bool decodeInto(DecodeState& state, MaskTexture& texture, const unsigned char* data, uint32_t size) {
    j_decompress_ptr decoder = &state.decoder;
    if (setjmp(state.errors.jump) != 0) {
        jpeg_destroy_decompress(decoder);
        std::free(state.source);
        state.source = nullptr;
        std::free(texture.pixels);
        texture.pixels = nullptr;
        return false;
    }
    jpeg_create_decompress(decoder);

    state.source = static_cast<ResourceSource*>(std::malloc(sizeof(ResourceSource)));
    if (state.source == nullptr) {
        jpeg_destroy_decompress(decoder);
        return false;
    }
    *state.source = ResourceSource{0, size, data};
    installResourceSource(decoder, state.source);

    jpeg_read_header(decoder, TRUE);
    if (decoder->image_width > static_cast<JDIMENSION>(kMaxMaskSide) ||
        decoder->image_height > static_cast<JDIMENSION>(kMaxMaskSide)) {
        std::fprintf(stderr, "Mask image of %u x %u pixels is larger than %d x %d\n",
                     static_cast<unsigned>(decoder->image_width),
                     static_cast<unsigned>(decoder->image_height), kMaxMaskSide, kMaxMaskSide);
        jpeg_destroy_decompress(decoder);
        std::free(state.source);
        state.source = nullptr;
        return false;
    }
    jpeg_start_decompress(decoder);
    texture.width = static_cast<int32_t>(decoder->output_width);
    texture.height = static_cast<int32_t>(decoder->output_height);
    texture.bitsPerPixel = decoder->output_components * 8;
    const size_t rowLength = static_cast<size_t>(decoder->output_width) * decoder->output_components;

    texture.pixels = static_cast<unsigned char*>(std::calloc(rowLength * decoder->output_height, 1));
    if (texture.pixels == nullptr) {
        jpeg_destroy_decompress(decoder);
        std::free(state.source);
        state.source = nullptr;
        return false;
    }

    JSAMPARRAY row = (*decoder->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(decoder), JPOOL_IMAGE,
                                                   static_cast<JDIMENSION>(rowLength), 1);
    unsigned char* next = texture.pixels;
    while (decoder->output_scanline < decoder->output_height) {
        // The source never suspends, so every call yields exactly one row.
        jpeg_read_scanlines(decoder, row, 1);
        std::memcpy(next, row[0], rowLength);
        next += rowLength;
    }
    jpeg_finish_decompress(decoder);
    jpeg_destroy_decompress(decoder);
    std::free(state.source);
    state.source = nullptr;
    return true;
}
// NOLINTEND(clang-analyzer-unix.Malloc)

} // namespace

bool decodeMaskTexture(MaskTexture& texture, const unsigned char* data, uint32_t size) {
    DecodeState state{};
    state.source = nullptr;
    state.decoder.err = jpeg_std_error(&state.errors.manager);
    state.errors.manager.error_exit = decodeErrorExit;
    return decodeInto(state, texture, data, size);
}

bool loadMaskTexture(MaskTexture& texture, const char* resourceName) {
    ResourceBytes bytes{};
    if (!lookupResource(resourceName, &bytes))
        return false;
    if (!decodeMaskTexture(texture, bytes.data, bytes.size))
        return false;
    return uploadMaskTexture(texture);
}

bool uploadMaskTexture(MaskTexture& texture) {
    glGenTextures(1, &texture.textureName);
    glBindTexture(GL_TEXTURE_2D, texture.textureName);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLfloat>(GL_LINEAR));
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLfloat>(GL_LINEAR));

    const GLenum format = texture.bitsPerPixel == 24 ? GL_RGB : GL_ALPHA;
    // Rows are packed back to back. OpenGL expects them on 4-byte
    // boundaries, which holds for the masks we ship (1024 and 512 bytes);
    // any other image is read byte-aligned and the default restored after.
    const int32_t rowLength = texture.width * (texture.bitsPerPixel / 8);
    const bool unaligned = rowLength % 4 != 0;
    if (unaligned)
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), texture.width, texture.height, 0, format,
                 GL_UNSIGNED_BYTE, texture.pixels);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLfloat>(GL_LINEAR_MIPMAP_LINEAR));
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLfloat>(GL_LINEAR));
    gluBuild2DMipmaps(GL_TEXTURE_2D, static_cast<GLint>(format), texture.width, texture.height, format,
                      GL_UNSIGNED_BYTE, texture.pixels);
    if (unaligned)
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLfloat>(GL_MODULATE));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);

    discardMaskPixels(texture);
    return true;
}

void discardMaskPixels(MaskTexture& texture) {
    std::free(texture.pixels);
    texture.pixels = nullptr;
}
