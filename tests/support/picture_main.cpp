// zellik-picture FILE.png kaleidoscope|sharp|plain|black [WxH+X+Y]: the end-to-end
// tests' eye. Judges a screenshot, or a rectangle of it, prints what it
// measured; exits 0 when as expected, 1 when not, 2 on bad input.
// zellik-picture FILE.png --like REFERENCE DIFFERENCE: compares a drawn frame with
// its reference picture; when they differ, writes the difference picture.
#include "tests/support/picture.h"
#include "tools/render/png_file.h"

#include <cstdio>
#include <cstring>

namespace {

int compare(const char* path, const char* referencePath, const char* differencePath) {
    Picture picture, reference, difference;
    if (!readPng(path, &picture) || !readPng(referencePath, &reference)) {
        std::fprintf(stderr, "zellik-picture: cannot read %s or %s\n", path, referencePath);
        return 2;
    }
    const PictureDifference d = comparePictures(picture, reference, &difference);
    std::printf("measure %.2f (at most 1 may) of %s against %s: its most different region, about (%d, %d), "
                "by %.2f (at most %.2f); lit %.2f against %.2f, black %.3f against %.3f, mirror %.3f "
                "against %.3f\n",
                d.measure(), path, referencePath, d.regionX, d.regionY, d.worstRegion, kRegionAllowance,
                d.picture.lit, d.reference.lit, d.picture.black, d.reference.black, d.picture.mirror,
                d.reference.mirror);
    if (d.measure() <= 1.0)
        return 0;
    if (!difference.rgba.empty() &&
        writePng(differencePath, difference.rgba.data(), difference.width, difference.height))
        std::printf("the frame drawn: %s\nthe difference (in red the regions over): %s\n", path,
                    differencePath);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[2], "--like") == 0)
        return compare(argv[1], argv[3], argv[4]);
    Picture picture;
    int w = 0, h = 0, x = 0, y = 0;
    if (argc < 3 || argc > 4 || !readPng(argv[1], &picture) ||
        (argc == 4 && std::sscanf(argv[3], "%dx%d+%d+%d", &w, &h, &x, &y) != 4)) {
        std::fprintf(stderr, "usage: zellik-picture FILE.png kaleidoscope|sharp|plain|black [WxH+X+Y]\n"
                             "       zellik-picture FILE.png --like REFERENCE DIFFERENCE.png\n");
        return 2;
    }
    if (argc == 4)
        picture = picture.crop(x, y, w, h);
    std::string why;
    const bool as = judgePicture(picture, argv[2], &why);
    std::printf("%s: %s (%s)\n", as ? "as expected" : "NOT as expected", argv[2], why.c_str());
    return as ? 0 : 1;
}
