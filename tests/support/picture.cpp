#include "tests/support/picture.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

double brightness(const unsigned char* c) { // the mean of red, green and blue
    return (c[0] + c[1] + c[2]) / 3.0;
}

// Calls f(x, y) for each pixel of the central disc.
template <typename F> void forDisc(const Picture& p, F f) {
    const double cx = (p.width - 1) / 2.0, cy = (p.height - 1) / 2.0, r = 0.42 * std::min(p.width, p.height);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r)
                f(x, y);
}

// Brightness blurred by a 9 x 9 box clipped to the picture, through a summed-area table.
std::vector<double> blurredBrightness(const Picture& p) {
    const int w = p.width, h = p.height;
    std::vector<double> table(size_t(w + 1) * size_t(h + 1)), out(size_t(w) * size_t(h));
    auto sum = [&](int x, int y) -> double& { return table[size_t(y) * (w + 1) + x]; };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            sum(x + 1, y + 1) = 3 * brightness(p.at(x, y)) + sum(x, y + 1) + sum(x + 1, y) - sum(x, y);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int x0 = std::max(x - 4, 0), x1 = std::min(x + 5, w), y0 = std::max(y - 4, 0);
            const int y1 = std::min(y + 5, h);
            out[size_t(y) * w + x] =
                (sum(x1, y1) - sum(x0, y1) - sum(x1, y0) + sum(x0, y0)) / (3.0 * (x1 - x0) * (y1 - y0));
        }
    return out;
}

// The largest channel difference of a's pixel at (x, y) from the nearest in
// colour of b's pixels around it.
int nearestDifference(const Picture& a, const Picture& b, int x, int y) {
    int nearest = 255;
    for (int ny = std::max(y - 1, 0); ny <= std::min(y + 1, a.height - 1); ++ny)
        for (int nx = std::max(x - 1, 0); nx <= std::min(x + 1, a.width - 1); ++nx) {
            int worst = 0;
            for (int c = 0; c < 3; ++c)
                worst = std::max(worst, std::abs(a.at(x, y)[c] - b.at(nx, ny)[c]));
            nearest = std::min(nearest, worst);
        }
    return nearest;
}

// The mean difference of the central disc's blurred brightness from its mirror image, left to right.
double mirrorDifference(const Picture& p) {
    const std::vector<double> b = blurredBrightness(p);
    double sum = 0;
    long pixels = 0;
    forDisc(p, [&](int x, int y) {
        sum += std::abs(b[size_t(y) * p.width + x] - b[size_t(y) * p.width + (p.width - 1 - x)]);
        ++pixels;
    });
    return pixels > 0 ? sum / pixels : 0.0;
}

} // namespace

Picture Picture::crop(int32_t x, int32_t y, int32_t w, int32_t h) const {
    Picture part;
    part.width = std::max(0, std::min(w, width - x));
    part.height = std::max(0, std::min(h, height - y));
    part.rgba.resize(size_t(part.width) * size_t(part.height) * 4);
    for (int32_t row = 0; row < part.height; ++row)
        std::copy_n(at(x, y + row), size_t(part.width) * 4, &part.rgba[size_t(row) * part.width * 4]);
    return part;
}

bool readPng(const char* path, Picture* picture) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path))
        return false;
    image.format = PNG_FORMAT_RGBA;
    *picture = Picture{int32_t(image.width), int32_t(image.height), {}};
    picture->rgba.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, picture->rgba.data(), 0, nullptr) != 0; // frees the image
}

long differingPixels(const Picture& p, const Picture& reference, Picture* difference) {
    if (p.width != reference.width || p.height != reference.height)
        return long(p.width) * p.height + 1;
    *difference = Picture{p.width, p.height, std::vector<unsigned char>(p.rgba.size(), 255)};
    long differing = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            // Both ways: a line that is gone has no match in the frame drawn.
            const bool differs = std::max(nearestDifference(p, reference, x, y),
                                          nearestDifference(reference, p, x, y)) > kShadeTolerance;
            differing += differs;
            unsigned char* out = &difference->rgba[(size_t(y) * size_t(p.width) + size_t(x)) * 4];
            for (int c = 0; c < 3; ++c)
                out[c] =
                    differs
                        ? (c == 0 ? 255 : 0)
                        : (unsigned char)std::min(255, 4 * std::abs(p.at(x, y)[c] - reference.at(x, y)[c]));
        }
    return differing;
}

// Measures: the disc's mean brightness (lit, 0 to 255), the share of pure black pixels, the disc against
// its mirror image relative to lit (0: symmetric), odd columns' own detail over even ones' (near 0: scaled
// up twice).
bool judgePicture(const Picture& p, const std::string& expected, std::string* why) {
    double lit = 0, black = 0;
    long disc = 0;
    forDisc(p, [&](int x, int y) {
        lit += brightness(p.at(x, y));
        ++disc;
    });
    lit = disc > 0 ? lit / disc : 0.0;
    double own[2] = {0, 0};
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const unsigned char* c = p.at(x, y);
            black += c[0] == 0 && c[1] == 0 && c[2] == 0 ? 1 : 0;
            if (x > 0 && x + 1 < p.width) {
                const double a = p.at(x - 1, y)[1], b = c[1], n = p.at(x + 1, y)[1];
                own[x % 2] += std::min(std::abs(b - a), std::abs(b - (a + n) / 2));
            }
        }
    black = p.width > 0 ? black / (double(p.width) * p.height) : 0.0;
    const double mirror = lit > 0 ? mirrorDifference(p) / lit : 1.0;
    const double most = std::max(own[0], own[1]);
    const double columnDetail = most > 0 ? std::min(own[0], own[1]) / most : 0.0;
    char text[160];
    std::snprintf(text, sizeof text, "%dx%d lit=%.2f black=%.3f mirror=%.3f detail=%.2f", p.width, p.height,
                  lit, black, mirror, columnDetail);
    *why = text;
    if (expected == "black")
        return black == 1.0;
    // A kaleidoscope leaves black between its tiles; a compositor's grey or a stretched picture does not.
    const bool onBlack = lit > 4.0 && black > 0.05;
    if (expected == "kaleidoscope" || expected == "sharp")
        return onBlack && mirror < 0.06 && (expected != "sharp" || columnDetail > 0.5);
    // Without mirrors only one wedge is drawn: with many wedges little of the disc is lit.
    if (expected == "plain")
        return lit > 1.0 && black > 0.05 && mirror > 0.25;
    *why = "unknown expectation '" + expected + "'";
    return false;
}
