#include "tests/support/picture.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Brightness blurred by a 9 x 9 box, computed as two running sums.
std::vector<double> blurredBrightness(const Picture& p) {
    const int r = 4, w = p.width, h = p.height;
    std::vector<double> lum(size_t(w) * size_t(h)), rows(lum.size()), out(lum.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const unsigned char* c = p.at(x, y);
            lum[size_t(y) * w + x] = (c[0] + c[1] + c[2]) / 3.0;
        }
    auto box = [r](const std::vector<double>& in, std::vector<double>& to, int n, int lines, int step,
                   int lineStep) {
        for (int line = 0; line < lines; ++line)
            for (int i = 0; i < n; ++i) {
                double sum = 0;
                for (int d = -r; d <= r; ++d)
                    sum += in[size_t(line) * lineStep + size_t(std::clamp(i + d, 0, n - 1)) * step];
                to[size_t(line) * lineStep + size_t(i) * step] = sum / (2 * r + 1);
            }
    };
    box(lum, rows, w, h, 1, w);
    box(rows, out, h, w, w, 1);
    return out;
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
    picture->width = int32_t(image.width);
    picture->height = int32_t(image.height);
    picture->rgba.resize(PNG_IMAGE_SIZE(image));
    const bool ok = png_image_finish_read(&image, nullptr, picture->rgba.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return ok;
}

Difference symmetryDifference(const Picture& p, double degrees, bool reflect) {
    const std::vector<double> b = blurredBrightness(p);
    const int w = p.width, h = p.height;
    auto sample = [&](double x, double y) { // bilinear, black outside
        const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
        auto at = [&](int xx, int yy) {
            return xx < 0 || yy < 0 || xx >= w || yy >= h ? 0.0 : b[size_t(yy) * w + xx];
        };
        const double fx = x - x0, fy = y - y0;
        return (1 - fy) * ((1 - fx) * at(x0, y0) + fx * at(x0 + 1, y0)) +
               fy * ((1 - fx) * at(x0, y0 + 1) + fx * at(x0 + 1, y0 + 1));
    };
    const double cx = (w - 1) / 2.0, cy = (h - 1) / 2.0, radius = 0.42 * std::min(w, h);
    const double c = std::cos(degrees * M_PI / 180.0), s = std::sin(degrees * M_PI / 180.0);
    double sum = 0;
    long pixels = 0, big = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double dx = x - cx, dy = cy - y;
            if (dx * dx + dy * dy > radius * radius)
                continue;
            if (reflect)
                dx = -dx;
            const double d =
                std::abs(b[size_t(y) * w + x] - sample(cx + c * dx - s * dy, cy - (s * dx + c * dy)));
            sum += d;
            ++pixels;
            big += d > 24 ? 1 : 0;
        }
    return Difference{pixels > 0 ? sum / pixels : 0.0, pixels > 0 ? double(big) / pixels : 0.0};
}

Measures measurePicture(const Picture& p) {
    Measures m{0, 0, 0, 0};
    const double cx = (p.width - 1) / 2.0, cy = (p.height - 1) / 2.0,
                 radius = 0.42 * std::min(p.width, p.height);
    long disc = 0, black = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const unsigned char* c = p.at(x, y);
            black += c[0] == 0 && c[1] == 0 && c[2] == 0 ? 1 : 0;
            if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius) {
                m.lit += (c[0] + c[1] + c[2]) / 3.0;
                ++disc;
            }
        }
    m.lit = disc > 0 ? m.lit / disc : 0.0;
    m.black = p.width > 0 ? double(black) / (double(p.width) * p.height) : 0.0;
    m.mirror = m.lit > 0 ? symmetryDifference(p, 0.0, true).mean / m.lit : 1.0;
    double own[2] = {0, 0};
    for (int y = 0; y < p.height; ++y)
        for (int x = 1; x + 1 < p.width; ++x) {
            const double a = p.at(x - 1, y)[1], b = p.at(x, y)[1], c = p.at(x + 1, y)[1];
            own[x % 2] += std::min(std::abs(b - a), std::abs(b - (a + c) / 2));
        }
    m.columnDetail = std::max(own[0], own[1]) > 0 ? std::min(own[0], own[1]) / std::max(own[0], own[1]) : 0.0;
    return m;
}

bool judgePicture(const Picture& p, const std::string& expected, std::string* why) {
    const Measures m = measurePicture(p);
    char text[160];
    std::snprintf(text, sizeof text, "%dx%d lit=%.2f black=%.3f mirror=%.3f detail=%.2f", p.width, p.height, m.lit,
                  m.black, m.mirror, m.columnDetail);
    *why = text;
    if (expected == "black")
        return m.black == 1.0;
    // A kaleidoscope leaves black between its tiles; a compositor's grey
    // background or a stretched picture does not.
    const bool onBlack = m.lit > 4.0 && m.black > 0.05;
    if (expected == "kaleidoscope" || expected == "sharp")
        return onBlack && m.mirror < 0.06 && (expected != "sharp" || m.columnDetail > 0.5);
    if (expected == "plain")
        return onBlack && m.mirror > 0.25;
    *why = "unknown expectation '" + expected + "'";
    return false;
}
