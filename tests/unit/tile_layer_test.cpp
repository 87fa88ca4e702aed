// The tile layer and its sprites; the seed-7 trace pins most of their numbers.
#include "platform/gl.h"
#include "tests/support/scene_rig.h"

#include <gtest/gtest.h>

namespace {

// A tile's cell is its quarter of the atlas in texture coordinates, the whole
// (empty) texture without an atlas. (Its tint shows in the seed-7 trace.)
TEST(TileSprite, AtlasCell) {
    SceneRig rig(11);
    TileLayer& layer = rig.layer();
    layer.syncSprites = true;
    const float corners[6][4] = {{0, 0, .5f, .5f},     {.5f, 0, .5f, .5f}, {0, .5f, .5f, .5f},
                                 {.5f, .5f, .5f, .5f}, {0, 0, .5f, 512},   {0, 0, 1, 1}};
    for (int cell = 0; cell < 6; ++cell) {
        layer.currentCell = cell % 4;
        if (cell >= 4) // an atlas one pixel high, then none at all
            layer.textures[0].height = cell == 4 ? 1 : layer.textures[0].width = 0;
        TileSprite s{};
        s.respawnSprite(layer);
        EXPECT_TRUE(s.texLeft == corners[cell][0] && s.texTop == corners[cell][1] &&
                    s.texWidth == corners[cell][2] && s.texHeight == corners[cell][3])
            << "cell " << cell;
    }
}

// A tile crosses the wedge from x = -chord to 2 chord in 16 seconds, turning
// by its spin; a life ends only when the phase passes 1, and however late the
// update, one respawn (one drift step) keeps the 16-second schedule.
TEST(TileSprite, LivesAndRespawns) {
    const struct {
        float birth, now, phase, xPerChord, birthAfter;
        int driftSteps;
    } lives[] = {
        {-16, 0, 1, 2, -16, 0}, {-16, 0.5f, 0.03125f, -0.90625f, 0, 1}, {0, 52, 0.25f, -0.25f, 48, 1}};
    for (const auto& l : lives) {
        SceneRig rig(11);
        TileLayer& layer = rig.layer();
        layer.driftLength = 3; // no new drift segment
        TileSprite& s = layer.sprites[0];
        s.birthTime = l.birth;
        rig.setTime(l.now);
        s.updateSprite(layer);
        EXPECT_FLOAT_EQ(s.phase, l.phase) << l.birth << " at " << l.now;
        EXPECT_NEAR(s.x, l.xPerChord * rig.scene->currentWedge->chord, 1e-5) << l.birth << " at " << l.now;
        EXPECT_FLOAT_EQ(s.rotation, s.phase * s.spin);
        EXPECT_NEAR(s.birthTime, l.birthAfter, 1e-5);
        EXPECT_EQ(layer.driftCount, l.driftSteps);
    }
}

// A moving zoom or spin heads for the band it is not in: 1.5 goes down and
// 180 up, just below and just above them the other way.
TEST(TileLayer, DriftHeadsForTheOtherBand) {
    SceneRig rig;
    TileLayer& layer = rig.layer();
    for (uint32_t seed = 0; seed < 400; ++seed) {
        rig.scene->random.seed(seed);
        const bool low = seed % 2 == 1;
        layer.zoom = low ? 1.49f : 1.5f;
        layer.spin = low ? 180.5f : 180.0f;
        layer.driftCount = layer.driftLength = 0;
        layer.driftStep();
        const float zoomTo = layer.zoomFrom + layer.zoomShift, spinTo = layer.spinFrom + layer.spinShift;
        EXPECT_TRUE(layer.zoomShift == 0 ||
                    (zoomTo >= (low ? 1.5f : 1.0f) - 1e-6f && zoomTo <= (low ? 2.0f : 1.5f)))
            << zoomTo;
        EXPECT_TRUE(layer.spinShift == 0 ||
                    (low ? spinTo >= 0 && spinTo <= 180 : spinTo >= 180 && spinTo <= 360))
            << spinTo;
    }
}

// Teardown deletes both textures, also when their loads failed (name 0).
TEST(TileLayer, TearDownReleasesTextures) {
    SceneRig rig(11);
    const GLuint names[2] = {rig.layer().atlas().textureName, rig.layer().logo().textureName};
    EXPECT_TRUE(glIsTexture(names[0]) && glIsTexture(names[1]));
    rig.scene.reset();
    EXPECT_FALSE(glIsTexture(names[0]) || glIsTexture(names[1]));
    TileLayer failed{};
    failed.texturesCreated = true;
    failed.tearDown();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_FALSE(failed.texturesCreated);
}

} // namespace
