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

// f of each pixel's colour, row by row.
template <typename F> std::vector<double> plane(const Picture& p, F f) {
    std::vector<double> out;
    for (size_t i = 0; i < p.rgba.size(); i += 4)
        out.push_back(f(&p.rgba[i]));
    return out;
}

// A plane blurred by a (2 radius + 1) square box clipped to the picture, through a summed-area table.
std::vector<double> boxBlur(const std::vector<double>& plane, int w, int h, int radius) {
    std::vector<double> table(size_t(w + 1) * size_t(h + 1)), out(size_t(w) * size_t(h));
    auto sum = [&](int x, int y) -> double& { return table[size_t(y) * (w + 1) + x]; };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            sum(x + 1, y + 1) = plane[size_t(y) * w + x] + sum(x, y + 1) + sum(x + 1, y) - sum(x, y);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int x0 = std::max(x - radius, 0), x1 = std::min(x + radius + 1, w);
            const int y0 = std::max(y - radius, 0), y1 = std::min(y + radius + 1, h);
            out[size_t(y) * w + x] =
                (sum(x1, y1) - sum(x0, y1) - sum(x1, y0) + sum(x0, y0)) / (double(x1 - x0) * (y1 - y0));
        }
    return out;
}

// The mean difference of the central disc's blurred brightness from its mirror image, left to right.
double mirrorDifference(const Picture& p) {
    const std::vector<double> b = boxBlur(plane(p, brightness), p.width, p.height, 4); // 9 x 9
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

double PictureDifference::measure() const {
    return std::max({worstRegion / kRegionAllowance, std::abs(picture.lit - reference.lit) / kLitAllowance,
                     std::abs(picture.black - reference.black) / kBlackAllowance,
                     std::abs(picture.mirror - reference.mirror) / kMirrorAllowance});
}

PictureDifference comparePictures(const Picture& p, const Picture& reference, Picture* difference) {
    if (p.width != reference.width || p.height != reference.height || p.width == 0 || p.height == 0)
        return PictureDifference{255.0, 0, 0, {}, {}};
    PictureDifference d{0, 0, 0, measurePicture(p), measurePicture(reference)};
    const int w = p.width, h = p.height;
    std::vector<double> seen[2][3];
    for (int c = 0; c < 3; ++c) {
        const auto level = [c](const unsigned char* colour) { return double(colour[c]); };
        seen[0][c] = boxBlur(plane(p, level), w, h, kBlurRadius);
        seen[1][c] = boxBlur(plane(reference, level), w, h, kBlurRadius);
    }
    // Per pixel: the largest channel difference from the nearest of the other's 3 x 3 pixels, both ways.
    std::vector<double> apart(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double worst = 0;
            for (int way = 0; way < 2; ++way) {
                double nearest = 255;
                for (int ny = std::max(y - 1, 0); ny <= std::min(y + 1, h - 1); ++ny)
                    for (int nx = std::max(x - 1, 0); nx <= std::min(x + 1, w - 1); ++nx) {
                        double most = 0;
                        for (int c = 0; c < 3; ++c)
                            most = std::max(most, std::abs(seen[way][c][size_t(y) * w + x] -
                                                           seen[1 - way][c][size_t(ny) * w + nx]));
                        nearest = std::min(nearest, most);
                    }
                worst = std::max(worst, nearest);
            }
            apart[size_t(y) * w + x] = worst;
        }
    // Every region's mean (one about each pixel), its worst; the blurred differences scaled four times,
    // in red where a region is over.
    const std::vector<double> regions = boxBlur(apart, w, h, kRegionRadius);
    *difference = Picture{w, h, std::vector<unsigned char>(p.rgba.size(), 255)};
    for (size_t i = 0; i < regions.size(); ++i) {
        if (regions[i] > d.worstRegion)
            d.worstRegion = regions[i], d.regionX = int32_t(i % size_t(w)),
            d.regionY = int32_t(i / size_t(w));
        const auto level = (unsigned char)std::min(255.0, 4 * apart[i]);
        const bool over = regions[i] > kRegionAllowance;
        difference->rgba[4 * i] = over ? 255 : level;
        difference->rgba[4 * i + 1] = difference->rgba[4 * i + 2] = over ? 0 : level;
    }
    return d;
}

PictureMeasures measurePicture(const Picture& p) {
    PictureMeasures m;
    long disc = 0;
    forDisc(p, [&](int x, int y) {
        m.lit += brightness(p.at(x, y));
        ++disc;
    });
    m.lit = disc > 0 ? m.lit / disc : 0.0;
    double own[2] = {0, 0};
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const unsigned char* c = p.at(x, y);
            m.black += c[0] == 0 && c[1] == 0 && c[2] == 0 ? 1 : 0;
            if (x > 0 && x + 1 < p.width) {
                const double a = p.at(x - 1, y)[1], b = c[1], n = p.at(x + 1, y)[1];
                own[x % 2] += std::min(std::abs(b - a), std::abs(b - (a + n) / 2));
            }
        }
    m.black = p.width > 0 ? m.black / (double(p.width) * p.height) : 0.0;
    m.mirror = m.lit > 0 ? mirrorDifference(p) / m.lit : 1.0;
    const double most = std::max(own[0], own[1]);
    m.columnDetail = most > 0 ? std::min(own[0], own[1]) / most : 0.0;
    return m;
}

bool judgePicture(const Picture& p, const std::string& expected, std::string* why) {
    const PictureMeasures m = measurePicture(p);
    char text[160];
    std::snprintf(text, sizeof text, "%dx%d lit=%.2f black=%.3f mirror=%.3f detail=%.2f", p.width, p.height,
                  m.lit, m.black, m.mirror, m.columnDetail);
    *why = text;
    if (expected == "black")
        return m.black == 1.0;
    // A kaleidoscope leaves black between its tiles; a compositor's grey or a stretched picture does not.
    const bool onBlack = m.lit > 4.0 && m.black > 0.05;
    if (expected == "kaleidoscope" || expected == "sharp")
        return onBlack && m.mirror < 0.06 && (expected != "sharp" || m.columnDetail > 0.5);
    // Without mirrors only one wedge is drawn: with many wedges little of the disc is lit.
    if (expected == "plain")
        return m.lit > 1.0 && m.black > 0.05 && m.mirror > 0.25;
    *why = "unknown expectation '" + expected + "'";
    return false;
}
