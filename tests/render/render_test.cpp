// The picture on real llvmpipe pixels: the symmetry the mirrors give, the
// lack of it without them, and transparent black in the masks.
#include "platform/gl.h"
#include "scene/kaleidoscope_scene.h"
#include "tests/support/gl_test_context.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 480;

struct Picture {
    std::vector<unsigned char> rgba;

    const unsigned char* at(int x, int y) const { return &rgba[(static_cast<size_t>(y) * kWidth + x) * 4]; }
    double brightness() const {
        double sum = 0;
        for (size_t i = 0; i < rgba.size(); i += 4)
            sum += rgba[i] + rgba[i + 1] + rgba[i + 2];
        return sum / (rgba.size() / 4 * 3);
    }
};

Picture grab() {
    Picture picture;
    picture.rgba.resize(static_cast<size_t>(kWidth) * kHeight * 4);
    testContext(kWidth, kHeight).readPixels(picture.rgba.data());
    return picture;
}

struct Difference {
    double mean;     // mean absolute difference of the blurred brightness, 0 to 255
    double bigShare; // share of compared pixels differing by more than 24
};

// Brightness blurred over 9 x 9 pixels: the masks are full of hairlines, and
// a rotated pixel grid never lands on the same samples, so the comparison is
// made on what the eye sees at a slight distance.
std::vector<double> blurredBrightness(const Picture& p) {
    const int r = 4;
    std::vector<double> lum(static_cast<size_t>(kWidth) * kHeight), rows(lum.size()), out(lum.size());
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const unsigned char* c = p.at(x, y);
            lum[static_cast<size_t>(y) * kWidth + x] = (c[0] + c[1] + c[2]) / 3.0;
        }
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            double sum = 0;
            for (int d = -r; d <= r; ++d)
                sum += lum[static_cast<size_t>(y) * kWidth + std::clamp(x + d, 0, kWidth - 1)];
            rows[static_cast<size_t>(y) * kWidth + x] = sum / (2 * r + 1);
        }
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            double sum = 0;
            for (int d = -r; d <= r; ++d)
                sum += rows[static_cast<size_t>(std::clamp(y + d, 0, kHeight - 1)) * kWidth + x];
            out[static_cast<size_t>(y) * kWidth + x] = sum / (2 * r + 1);
        }
    return out;
}

// Compares each pixel of the central disc (radius 200 px: well inside the
// pattern's reach, clear of the logo in the corner) with its image under a
// rotation by `degrees` about the centre, reflected first when `reflect`.
Difference symmetryDifference(const Picture& p, double degrees, bool reflect) {
    const std::vector<double> b = blurredBrightness(p);
    auto sample = [&](double x, double y) { // bilinear
        const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
        const double fx = x - x0, fy = y - y0;
        auto at = [&](int xx, int yy) { return b[static_cast<size_t>(yy) * kWidth + xx]; };
        return (1 - fy) * ((1 - fx) * at(x0, y0) + fx * at(x0 + 1, y0)) +
               fy * ((1 - fx) * at(x0, y0 + 1) + fx * at(x0 + 1, y0 + 1));
    };
    const double cx = (kWidth - 1) / 2.0, cy = (kHeight - 1) / 2.0;
    const double c = std::cos(degrees * M_PI / 180.0), s = std::sin(degrees * M_PI / 180.0);
    double sum = 0;
    long pixels = 0, big = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            double dx = x - cx, dy = cy - y;
            if (dx * dx + dy * dy > 200.0 * 200.0)
                continue;
            if (reflect)
                dx = -dx;
            const double rx = c * dx - s * dy, ry = s * dx + c * dy;
            const double d = std::abs(b[static_cast<size_t>(y) * kWidth + x] - sample(cx + rx, cy - ry));
            sum += d;
            ++pixels;
            big += d > 24 ? 1 : 0;
        }
    }
    return Difference{sum / pixels, static_cast<double>(big) / pixels};
}

struct RenderRig {
    SteppedCounter counter{30, 1, 0};
    std::unique_ptr<KaleidoscopeScene> scene;

    explicit RenderRig(uint32_t seed) {
        testContext(kWidth, kHeight);
        scene = std::make_unique<KaleidoscopeScene>(kWidth, kHeight, seed, counter.counter());
    }
    // Runs to about `seconds` (before the first respawn after the start at
    // 8 s), then draws one frame with table wedge `entry`.
    Picture frameWithWedge(int entry, uint32_t flags, double seconds = 5.0) {
        while (counter.value < static_cast<int64_t>(seconds * 30)) {
            counter.step();
            scene->renderFrame(flags);
        }
        scene->transition.active = false;
        scene->selectWedge(entry, false);
        counter.step();
        scene->renderFrame(flags);
        return grab();
    }
};

TEST(Picture, MirrorsGiveTheWedgeSymmetry) {
    for (const int entry : {0, 7}) { // 10 and 24 wedges
        for (const uint32_t seed : {42u, 7u}) {
            RenderRig rig(seed);
            const Picture p = rig.frameWithWedge(entry, kRenderMirrors);
            ASSERT_GT(p.brightness(), 8.0) << "the picture is nearly black";
            EXPECT_EQ(rig.scene->layerDraws, 10 + 2 * entry);
            const double wedge = rig.scene->wedgeTable[entry].angle;
            const Difference reflected = symmetryDifference(p, 0.0, true);
            const Difference rotated = symmetryDifference(p, 2.0 * wedge, false);
            // The reflection maps pixels onto pixels and is exact; the
            // rotation resamples, so it is compared with some slack.
            EXPECT_LT(reflected.mean, 0.5) << "seed " << seed << " entry " << entry;
            EXPECT_LT(reflected.bigShare, 0.001);
            EXPECT_LT(rotated.mean, 3.0) << "seed " << seed << " entry " << entry;
            EXPECT_LT(rotated.bigShare, 0.01);
        }
    }
}

TEST(Picture, WithoutMirrorsTheLayerIsDrawnOnceUnclipped) {
    RenderRig rig(42);
    const Picture p = rig.frameWithWedge(0, 0);
    EXPECT_EQ(rig.scene->layerDraws, 1);
    ASSERT_GT(p.brightness(), 1.0);
    const Difference reflected = symmetryDifference(p, 0.0, true);
    const Difference rotated = symmetryDifference(p, 72.0, false);
    EXPECT_GT(reflected.bigShare, 0.1);
    EXPECT_GT(rotated.bigShare, 0.1);

    // Unclipped: the tiles reach right of the vertical centre line too,
    // where the first wedge alone would leave the left half empty.
    long litRight = 0;
    for (int y = 0; y < kHeight * 3 / 4; ++y)
        for (int x = kWidth / 2 + 4; x < kWidth; ++x)
            litRight += p.at(x, y)[0] + p.at(x, y)[1] + p.at(x, y)[2] > 30 ? 1 : 0;
    EXPECT_GT(litRight, 500);
}

TEST(Picture, BlackInTheMaskIsTransparent) {
    RenderRig rig(42);
    rig.frameWithWedge(0, 0);
    KaleidoscopeScene& scene = *rig.scene;
    // One white, opaque tile of cell 0 (a design on a black surround) in the
    // middle of the screen; the other two invisible.
    TileLayer& layer = scene.tileLayer;
    for (TileSprite& sprite : layer.sprites)
        sprite.alpha = 0.0f;
    TileSprite& tile = layer.sprites[0];
    tile = TileSprite{};
    tile.scale = 2.0f;
    tile.alpha = 1.0f;
    tile.texWidth = tile.texHeight = 0.5f;
    scene.mirrorsOn = false;
    glClear(GL_COLOR_BUFFER_BIT);
    glLoadIdentity();
    gluLookAt(0.0, 0.0, 5.5, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    scene.drawMirrored(*scene.currentWedge);
    const Picture p = grab();

    // The quad spans 2 x 2 units about the centre: 87 px each way. Its
    // outermost band maps to the cell's black surround.
    const int cx = kWidth / 2, cy = kHeight / 2, half = static_cast<int>(2.0 * kHeight / 11.0);
    long lit = 0, border = 0;
    for (int d = -half + 2; d < half - 2; ++d) {
        for (const int edge : {-half + 2, half - 3}) {
            const unsigned char* a = p.at(cx + d, cy + edge);
            const unsigned char* b = p.at(cx + edge, cy + d);
            border += 2;
            lit += (a[0] > 60 ? 1 : 0) + (b[0] > 60 ? 1 : 0);
        }
    }
    EXPECT_LT(static_cast<double>(lit) / border, 0.05);
    long bright = 0;
    for (int y = cy - half / 2; y < cy + half / 2; ++y)
        for (int x = cx - half / 2; x < cx + half / 2; ++x)
            bright += p.at(x, y)[0] > 200 ? 1 : 0;
    EXPECT_GT(bright, 100) << "the design itself should be opaque white";
}

} // namespace
