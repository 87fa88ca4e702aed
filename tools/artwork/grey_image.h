// A greyscale picture being painted, and the supersampling that keeps its
// edges clean when the saver mipmaps it down to a few dozen pixels.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct GreyImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> samples; // rows top first

    GreyImage(int32_t w, int32_t h) : width(w), height(h), samples(size_t(w) * size_t(h), 0) {}
    uint8_t& at(int32_t x, int32_t y) { return samples[size_t(y) * size_t(width) + size_t(x)]; }
};

// Supersampling grid per pixel side: 4 x 4 stratified samples are enough for
// bands of a few pixels and cost little at these sizes.
constexpr int32_t kSupersample = 4;

// Paints the rectangle [x0, x0+w) x [y0, y0+h) of `image` with the average of
// shade(px, py) over a kSupersample^2 grid inside each pixel. shade takes
// coordinates in pixels relative to the rectangle's top-left corner and
// returns an opacity in [0, 1].
template <typename Shade>
void paintSupersampled(GreyImage& image, int32_t x0, int32_t y0, int32_t w, int32_t h, Shade shade) {
    const double step = 1.0 / kSupersample;
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            double sum = 0.0;
            for (int32_t sy = 0; sy < kSupersample; ++sy) {
                for (int32_t sx = 0; sx < kSupersample; ++sx) {
                    double v = shade(x + (sx + 0.5) * step, y + (sy + 0.5) * step);
                    sum += v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v);
                }
            }
            double mean = sum / (kSupersample * kSupersample);
            image.at(x0 + x, y0 + y) = uint8_t(mean * 255.0 + 0.5);
        }
    }
}
