// How the tests judge a drawn picture (a frame read back, or a screenshot), as a person sees it from a
// little distance: brightness blurred over 9 x 9 pixels, so that hairlines and edge pixels do not count.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct Picture {
    int32_t width = 0, height = 0;
    std::vector<unsigned char> rgba; // rows top first

    const unsigned char* at(int32_t x, int32_t y) const {
        return &rgba[(size_t(y) * size_t(width) + size_t(x)) * 4];
    }
    Picture crop(int32_t x, int32_t y, int32_t w, int32_t h) const; // clipped to the picture
};

bool readPng(const char* path, Picture* picture);

// A picture against its reference. A pixel differs when its largest channel difference from every pixel of
// the reference's 3 x 3 neighbourhood exceeds kShadeTolerance, or the reference's pixel's from every pixel
// around it in the picture: another rasteriser may move an edge by a pixel or shift a shade by a few
// levels, but a line that is gone has nothing near it to match. A picture matches when at most
// kStrayAllowance pixels differ (specks where a texel or mip level is chosen otherwise). A missing clip
// plane, a mirrored texture or a wrong tint changes thousands of pixels; the faint logo at 320 x 240 differs
// at 70 to 180 pixels when gone, about 100 when its colour is wrong half-way through its cycle, but only
// about 20 upside down (its own test pins that). `difference` gets the differences scaled four times, the
// differing pixels in red.
constexpr int kShadeTolerance = 10;
constexpr long kStrayAllowance = 40;
long differingPixels(const Picture& picture, const Picture& reference, Picture* difference);

// True when the picture is `expected`: "kaleidoscope" (lit, on black, mirror-symmetric), "plain" (lit,
// on black, not symmetric), "sharp" (a kaleidoscope at its own pixel size) or "black"; why: the measures.
bool judgePicture(const Picture& picture, const std::string& expected, std::string* why);
