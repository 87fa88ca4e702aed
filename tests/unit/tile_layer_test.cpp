// The tile layer and its sprites: lives, respawns, the drift of the shared
// zoom and spin, and the random draws that fix them.
#include "platform/gl.h"
#include "tests/support/scene_rig.h"

#include <gtest/gtest.h>

namespace {

// A respawn draws 8 numbers synchronised, 10 on its own, 11 when it also
// picks a random cell; synchronised it takes the layer's spin, zoom + 0.25
// and cell, on its own up to twice the spin and up to the zoom + 0.25. One
// tile in four is tinted; opacity 0.5 to 1, height -2.4 to 0, depth 0 to 2.
TEST(TileSprite, RespawnLooksAndDraws) {
    SceneRig rig(11);
    TileLayer& layer = rig.layer();
    const struct {
        bool sync, randomCells;
        int draws, otherCells;
    } cases[] = {{true, true, 8, 0}, {true, false, 8, 0}, {false, false, 10, 0}, {false, true, 11, 300}};
    layer.spin = 123.5f;
    layer.zoom = 1.75f;
    layer.currentCell = 3;
    for (const auto& c : cases) {
        layer.syncSprites = c.sync;
        layer.randomCells = c.randomCells;
        int tinted = 0, otherCells = 0;
        for (int i = 0; i < 400; ++i) {
            TileSprite s{};
            const RandomGenerator before = rig.scene->random;
            s.respawnSprite(layer);
            ASSERT_EQ(drawsBetween(before, rig.scene->random), c.draws) << c.sync << c.randomCells;
            tinted += s.tinted;
            otherCells += s.cell != 3;
            EXPECT_TRUE(s.alpha >= 0.5f && s.alpha <= 1 && s.y >= -2.4f && s.y <= 0 && s.z >= 0 && s.z <= 2);
            EXPECT_TRUE(s.red >= 0 && s.red < 1 && s.green >= 0 && s.green < 1 && s.blue >= 0 && s.blue < 1);
            EXPECT_TRUE(c.sync ? s.spin == 123.5f && s.scale == 2.0f
                               : s.spin >= 0 && s.spin <= 247 && s.scale >= 0.25f && s.scale <= 2.0f);
        }
        EXPECT_NEAR(tinted, 100, 30) << c.sync << c.randomCells;
        EXPECT_NEAR(otherCells, c.otherCells, 40) << c.sync << c.randomCells;
    }
    // The cell's quarter of the atlas in texture coordinates; without an
    // atlas the whole (empty) texture stands in.
    const float corners[6][4] = {{0, 0, .5f, .5f},     {.5f, 0, .5f, .5f}, {0, .5f, .5f, .5f},
                                 {.5f, .5f, .5f, .5f}, {0, 0, .5f, 512},   {0, 0, 1, 1}};
    layer.syncSprites = true;
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
    } lives[] = {{0, 0, 0, -1, 0, 0},
                 {-8, 0, 0.5f, 0.5f, -8, 0},
                 {-16, 0, 1, 2, -16, 0},
                 {0, 16.0f / 3, 1.0f / 3, 0, 0, 0},
                 {-16, 0.5f, 0.03125f, -0.90625f, 0, 1},
                 {0, 52, 0.25f, -0.25f, 48, 1}};
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

// An opening step draws 4 numbers (length, sync, cell, the wedge question),
// one more inside pickWedge, then 1 or 2 each for zoom and spin; a moving
// zoom or spin heads for the band it is not in (1.5 goes down, 180 up, just
// below and just above them the other way). Each
// moves half the time, the layer syncs half the time, and a wedge change is
// asked for a tenth of the time.
TEST(TileLayer, OpeningStepsAcrossSeeds) {
    int zoomMoves = 0, spinMoves = 0, wedgePicks = 0, synced = 0;
    SceneRig rig;
    TileLayer& layer = rig.layer();
    for (uint32_t seed = 0; seed < 400; ++seed) {
        rig.scene->random.seed(seed);
        const bool low = seed % 2 == 1; // just below the zoom's limit, just above the spin's
        layer.zoom = low ? 1.49f : 1.5f;
        layer.spin = low ? 180.5f : 180.0f;
        layer.driftCount = layer.driftLength = 0;
        rig.scene->transition.active = false;
        const RandomGenerator before = rig.scene->random;
        layer.driftStep();
        const bool picked = rig.scene->transition.active, zoomMoved = layer.zoomShift != 0,
                   spinMoved = layer.spinShift != 0;
        EXPECT_EQ(drawsBetween(before, rig.scene->random), 6 + picked + zoomMoved + spinMoved) << seed;
        const float zoomTo = layer.zoomFrom + layer.zoomShift, spinTo = layer.spinFrom + layer.spinShift;
        EXPECT_TRUE(!zoomMoved || (zoomTo >= (low ? 1.5f : 1.0f) - 1e-6f && zoomTo <= (low ? 2.0f : 1.5f)))
            << zoomTo;
        EXPECT_TRUE(!spinMoved || (low ? spinTo >= 0 && spinTo <= 180 : spinTo >= 180 && spinTo <= 360))
            << spinTo;
        EXPECT_TRUE(layer.currentCell >= 0 && layer.currentCell < 4);
        zoomMoves += zoomMoved;
        spinMoves += spinMoved;
        wedgePicks += picked;
        synced += layer.syncSprites;
    }
    EXPECT_NEAR(zoomMoves, 200, 60);
    EXPECT_NEAR(spinMoves, 200, 60);
    EXPECT_NEAR(synced, 200, 60);
    EXPECT_NEAR(wedgePicks, 40, 25);
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
