#include "tools/render/png_file.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

bool writePng(const char* path, const unsigned char* rgba, int32_t width, int32_t height) {
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "zellik-render: cannot write %s: %s\n", path, std::strerror(errno));
        return false;
    }
    // The simplified API writes at the library's default level; the classic
    // one is needed to ask for speed.
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (png == nullptr || info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        std::fprintf(stderr, "zellik-render: cannot encode %s\n", path);
        return false;
    }
    png_init_io(png, file);
    png_set_compression_level(png, 1);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_filler(png, 0, PNG_FILLER_AFTER); // drop the alpha byte of each pixel
    for (int32_t row = 0; row < height; ++row)
        png_write_row(png, const_cast<png_bytep>(rgba + static_cast<size_t>(row) * width * 4));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fclose(file) != 0) {
        std::fprintf(stderr, "zellik-render: cannot write %s: %s\n", path, std::strerror(errno));
        return false;
    }
    return true;
}
