// zellik-picture FILE.png kaleidoscope|sharp|plain|black [WxH+X+Y]: the
// end-to-end tests' eye. Judges a screenshot, or a rectangle of it, prints
// what it measured; exits 0 when as expected, 1 when not, 2 on bad input.
#include "tests/support/picture.h"

#include <cstdio>

int main(int argc, char** argv) {
    Picture picture;
    int w = 0, h = 0, x = 0, y = 0;
    if (argc < 3 || argc > 4 || !readPng(argv[1], &picture) ||
        (argc == 4 && std::sscanf(argv[3], "%dx%d+%d+%d", &w, &h, &x, &y) != 4)) {
        std::fprintf(stderr, "usage: zellik-picture FILE.png kaleidoscope|sharp|plain|black [WxH+X+Y]\n");
        return 2;
    }
    if (argc == 4)
        picture = picture.crop(x, y, w, h);
    std::string why;
    const bool as = judgePicture(picture, argv[2], &why);
    std::printf("%s: %s (%s)\n", as ? "as expected" : "NOT as expected", argv[2], why.c_str());
    return as ? 0 : 1;
}
