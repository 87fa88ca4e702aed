// How the tests judge a drawn picture (a frame read back, or a screenshot), as a person sees it from a
// little distance: blurred, so that hairlines, edge pixels and a driver's texel choice do not count.
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

// A picture's structure: the central disc's mean brightness (lit, 0 to 255), the share of pure black
// pixels, the disc against its mirror image left to right relative to lit (0: symmetric), odd columns' own
// detail over even ones' (near 0: scaled up twice).
struct PictureMeasures {
    double lit = 0, black = 0, mirror = 0, columnDetail = 0;
};
PictureMeasures measurePicture(const Picture& picture);

// A frame against its reference as a viewer sees it, whatever driver rounds texture filtering. Both are
// blurred by a 5 x 5 box; a blurred pixel's difference is its largest channel difference from the nearest
// of the other's 3 x 3 neighbourhood, both ways (an edge moved by a pixel is none); the worst mean over
// the 9 x 9 region about a pixel counts, with the disc's brightness, black share and symmetry.
// Measured on the references (scripts/planted-faults.sh, 9 December 2026): softpipe's frames lie apart
// from llvmpipe's at 3 375 to 19 542 scattered pixels, 1 to 1 581 by more than 10 levels from every
// neighbour, yet their worst region only by 1.43 levels, zink over lavapipe's by 0.02, Wine's (llvmpipe)
// by 0; softpipe's lit by 0.03, black 0.002, mirror 0.000. The smallest planted visible faults: the
// zoom's drift not eased 7.8, the logo's colour or place 9.0, the tiles' texture mirrored 13.5, no mip
// maps 18.8, a slower glide 27.4, the rest 44 to 211. kRegionAllowance lies 2.4 times over softpipe and
// 2.2 times under the smallest fault (measure: 0.41 and 2.58). The logo upside down (1.76) is
// Picture.LogoStripColourOpacityAndPlace's to catch, at 640 x 480.
constexpr int kBlurRadius = 2, kRegionRadius = 4;
constexpr double kRegionAllowance = 3.5, kLitAllowance = 0.5, kBlackAllowance = 0.02, kMirrorAllowance = 0.02;
struct PictureDifference {
    double worstRegion = 0;           // the largest mean over a region, in levels of 255
    int32_t regionX = 0, regionY = 0; // that region's centre
    PictureMeasures picture, reference;
    double measure() const; // the largest difference over its allowance: alike at 1 or less
};
// `difference` gets the blurred differences scaled four times, red where a region is over.
PictureDifference comparePictures(const Picture& picture, const Picture& reference, Picture* difference);

// True when the picture is `expected`: "kaleidoscope" (lit, on black, mirror-symmetric), "plain" (lit,
// on black, not symmetric), "sharp" (a kaleidoscope at its own pixel size) or "black"; why: the measures.
bool judgePicture(const Picture& picture, const std::string& expected, std::string* why);
