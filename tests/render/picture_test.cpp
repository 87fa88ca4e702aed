// What a person sees, on real llvmpipe pixels, and the state a frame leaves.
#include "platform/gl.h"
#include "platform/resource_bytes.h"
#include "tests/support/picture.h"
#include "tests/support/scene_rig.h"
#include "tiles/mask_texture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t kWidth = 640, kHeight = 480;
// The plane z = 0 seen from 5.5 units: 5.5 units from the centre to the top.
constexpr double kPixelsPerUnit = kHeight / 11.0;

struct RenderRig : SceneRig {
    explicit RenderRig(uint32_t seed) : SceneRig(seed, kWidth, kHeight) {}
    // Draws the layer as it stands, without advancing anything.
    Picture drawOnly(bool mirrors) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        gluLookAt(0.0, 0.0, 5.5, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
        scene->mirrorsOn = mirrors;
        scene->drawMirrored(*scene->currentWedge);
        Picture p{kWidth, kHeight, std::vector<unsigned char>(size_t(kWidth) * kHeight * 4)};
        testContext().readPixels(p.rgba.data());
        return p;
    }
};

// The logo strip, larger than the references show it: 4 by 0.25 units at
// (5, -5), unclipped, unmirrored, the right way up (its texture where each
// pixel's centre falls), yellow at the start and blue after 10 pi seconds, at
// a tenth of the mask's opacity.
TEST(Picture, LogoStripColourOpacityAndPlace) {
    RenderRig rig(42);
    MaskTexture logo{};
    ResourceBytes bytes{};
    ASSERT_TRUE(lookupResource("LOGO_MASK", &bytes) && decodeMaskTexture(logo, bytes.data, bytes.size));
    for (TileSprite& tile : rig.layer().sprites)
        tile.alpha = 0.0f;
    const struct {
        float time;
        int channel;      // a lit one
        double colour[3]; // every channel as a share of it
        bool mirrors;
    } cases[] = {{0.0f, 0, {1, 1, 0}, true}, {float(10 * M_PI), 2, {0, 0, 1}, false}};
    for (const auto& c : cases) {
        rig.setTime(c.time);
        const Picture p = rig.drawOnly(c.mirrors);
        // The mask where each pixel's centre falls, against what was drawn.
        double sxy = 0, sx = 0, sy = 0, sxx = 0, syy = 0, n = 0;
        int top = 0, stray = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const double u = ((x + 0.5 - kWidth / 2.0) / kPixelsPerUnit - 3.0) / 4.0;
                const double v = ((y + 0.5 - kHeight / 2.0) / kPixelsPerUnit - 4.875) / 0.25;
                const unsigned char* px = p.at(x, y);
                const int lit = px[c.channel];
                top = std::max(top, lit);
                for (int k = 0; k < 3; ++k)
                    stray += std::abs(px[k] - c.colour[k] * lit) > 1;
                if (u < 0 || u >= 1 || v < 0 || v >= 1) {
                    stray += lit > 0;
                    continue;
                }
                const double mask = logo.pixels[int(v * 32) * 512 + int(u * 512)];
                sxy += mask * lit, sx += mask, sy += lit, sxx += mask * mask, syy += double(lit) * lit, ++n;
            }
        const double correlation = (n * sxy - sx * sy) / std::sqrt((n * sxx - sx * sx) * (n * syy - sy * sy));
        EXPECT_TRUE(correlation > 0.8 && std::abs(top - 25.5) <= 1.5 && stray <= 5)
            << "at " << c.time << ": correlation " << correlation << ", brightest " << top << ", stray "
            << stray;
    }
    discardMaskPixels(logo);
}

// After a frame: blending and texturing off, back faces culled, no depth test
// nor clip plane, the matrix stack as found, the atlas bound, modulating.
TEST(Picture, AFrameLeavesThePassState) {
    RenderRig rig(7);
    for (const uint32_t flags : {kRenderMirrors, 0u, kRenderMirrors}) {
        rig.frameAt(rig.counter.value + 33, flags);
        // clang-format off
        const struct { GLenum name; GLint value; } state[] = {
            {GL_BLEND, 0}, {GL_TEXTURE_2D, 0}, {GL_DEPTH_TEST, 0}, {GL_CLIP_PLANE0, 0}, {GL_CLIP_PLANE1, 0},
            {GL_CLIP_PLANE2, 0}, {GL_LIGHTING, 0}, {GL_CULL_FACE, 1}, {GL_BLEND_SRC, GL_SRC_ALPHA},
            {GL_BLEND_DST, GL_ONE_MINUS_SRC_ALPHA}, {GL_CULL_FACE_MODE, GL_BACK}, {GL_FRONT_FACE, GL_CCW},
            {GL_MATRIX_MODE, GL_MODELVIEW}, {GL_MODELVIEW_STACK_DEPTH, 1},
            {GL_TEXTURE_BINDING_2D, GLint(rig.layer().atlas().textureName)}};
        // clang-format on
        for (const auto& s : state) {
            GLint value = 0;
            glGetIntegerv(s.name, &value);
            EXPECT_EQ(value, s.value) << s.name;
        }
        GLint env = 0;
        GLfloat clear[4] = {};
        glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
        EXPECT_TRUE(env == GL_MODULATE && clear[0] + clear[1] + clear[2] == 0 && clear[3] == 1);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
}

} // namespace
