#include "tests/support/jpeg_bytes.h"

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

std::vector<unsigned char> encodeJpeg(int width, int height, int components,
                                      const std::vector<unsigned char>& samples) {
    jpeg_compress_struct encoder{};
    jpeg_error_mgr errors{};
    encoder.err = jpeg_std_error(&errors);
    jpeg_create_compress(&encoder);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&encoder, &buffer, &size);
    encoder.image_width = static_cast<JDIMENSION>(width);
    encoder.image_height = static_cast<JDIMENSION>(height);
    encoder.input_components = components;
    encoder.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&encoder);
    jpeg_set_quality(&encoder, 100, TRUE);
    jpeg_start_compress(&encoder, TRUE);
    while (encoder.next_scanline < encoder.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(samples.data() +
                                            static_cast<size_t>(encoder.next_scanline) * width * components);
        jpeg_write_scanlines(&encoder, &row, 1);
    }
    jpeg_finish_compress(&encoder);
    std::vector<unsigned char> bytes(buffer, buffer + size);
    jpeg_destroy_compress(&encoder);
    std::free(buffer);
    return bytes;
}
