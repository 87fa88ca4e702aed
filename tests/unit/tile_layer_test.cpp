// The tile layer and its sprites: lives, respawns, the drift of the shared
// zoom and spin, and the random draws that fix them.
#include "platform/gl.h"
#include "tests/support/scene_rig.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// What a respawn takes from the layer and how many numbers it draws: 8
// synchronised, 10 on its own, 11 when it also picks a random cell.
TEST(TileSprite, RespawnLooksAndDraws) {
    SceneRig rig(11);
    TileLayer& layer = rig.layer();
    const struct {
        bool sync, randomCells;
        int draws;
    } cases[] = {{true, true, 8}, {true, false, 8}, {false, false, 10}, {false, true, 11}};
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
            otherCells += s.cell != 3 ? 1 : 0;
            EXPECT_TRUE(s.alpha >= 0.5f && s.alpha <= 1.0f && s.y >= -2.4f && s.y <= 0.0f && s.z >= 0 &&
                        s.z <= 2);
            EXPECT_TRUE(s.red >= 0 && s.red < 1 && s.green >= 0 && s.green < 1 && s.blue >= 0 && s.blue < 1);
            if (c.sync) {
                EXPECT_EQ(s.spin, 123.5f);
                EXPECT_EQ(s.scale, 2.0f);
            } else {
                EXPECT_TRUE(s.spin >= 0 && s.spin <= 247.0f && s.scale >= 0.25f && s.scale <= 2.0f);
            }
        }
        // One tile in four is tinted; only an unsynchronised respawn with
        // random cells leaves the layer's cell.
        EXPECT_NEAR(tinted, 100, 30) << c.sync << c.randomCells;
        if (c.sync || !c.randomCells) {
            EXPECT_EQ(otherCells, 0);
        } else {
            EXPECT_NEAR(otherCells, 300, 40);
        }
    }
}

TEST(TileSprite, TextureRectangleOfEachCell) {
    SceneRig rig(11);
    TileLayer& layer = rig.layer();
    layer.syncSprites = true;
    const float corners[5][4] = {{0, 0, 0.5f, 0.5f},
                                 {0.5f, 0, 0.5f, 0.5f},
                                 {0, 0.5f, 0.5f, 0.5f},
                                 {0.5f, 0.5f, 0.5f, 0.5f},
                                 {0, 0, 1, 1}};
    for (int cell = 0; cell < 5; ++cell) {
        layer.currentCell = cell % 4;
        if (cell == 4) // without an atlas the whole (empty) texture stands in
            layer.textures[0].width = layer.textures[0].height = 0;
        TileSprite s{};
        s.respawnSprite(layer);
        const float got[4] = {s.texLeft, s.texTop, s.texWidth, s.texHeight};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(got[i], corners[cell][i]) << "cell " << cell;
        }
    }
}

// A tile crosses the wedge from x = -chord to 2 chord in 16 seconds, turning
// by its spin; a life ends only when the phase passes 1, and however late
// the update, one respawn keeps the 16-second schedule.
TEST(TileSprite, LivesAndRespawns) {
    const struct {
        float birth, now;
        float phase, xPerChord, birthAfter;
        int driftSteps;
    } lives[] = {
        {0, 0, 0, -1, 0, 0},
        {-8, 0, 0.5f, 0.5f, -8, 0},
        {-16, 0, 1, 2, -16, 0},
        {0, 16.0f / 3, 1.0f / 3, 0, 0, 0},
        {-16, 0.5f, 0.5f / 16, 0.5f / 16 * 3 - 1, 0, 1},
        {0, 52, 0.25f, -0.25f, 48, 1},
    };
    for (const auto& l : lives) {
        SceneRig rig(11);
        TileLayer& layer = rig.layer();
        layer.driftLength = 3; // no new drift segment
        layer.driftCount = 0;
        TileSprite& s = layer.sprites[0];
        s.birthTime = l.birth;
        rig.setTime(l.now);
        s.updateSprite(layer);
        const float chord = rig.scene->currentWedge->chord;
        EXPECT_FLOAT_EQ(s.phase, l.phase) << l.birth << " at " << l.now;
        EXPECT_NEAR(s.x, l.xPerChord * chord, 1e-5) << l.birth << " at " << l.now;
        EXPECT_FLOAT_EQ(s.rotation, s.phase * s.spin);
        EXPECT_NEAR(s.birthTime, l.birthAfter, 1e-5);
        EXPECT_EQ(layer.driftCount, l.driftSteps);
    }
}

TEST(TileLayer, StartAndFirstFrame) {
    SceneRig rig(11);
    TileLayer& layer = rig.layer();
    EXPECT_EQ(layer.sprites[0].birthTime, 0.0f);
    EXPECT_EQ(layer.sprites[1].birthTime, -8.0f);
    EXPECT_EQ(layer.sprites[2].birthTime, -16.0f);
    EXPECT_TRUE(layer.zoom >= 1 && layer.zoom <= 2 && layer.spin >= 0 && layer.spin <= 360);
    EXPECT_EQ(layer.cellCount, 4);
    // At time 0 nothing respawns and nothing is drawn from the generator.
    const RandomGenerator before = rig.scene->random;
    layer.updateTiles();
    EXPECT_EQ(drawsBetween(before, rig.scene->random), 0);
    EXPECT_EQ(layer.driftLength, 0);
    // The first positive time ends the third tile's life: the first drift
    // step opens a segment and leaves zoom and spin where they are.
    const float zoom = layer.zoom, spin = layer.spin;
    layer.randomCells = false;
    rig.setTime(0.033f);
    layer.updateTiles();
    EXPECT_TRUE(layer.randomCells);
    EXPECT_TRUE(layer.driftLength >= 1 && layer.driftLength <= 3);
    EXPECT_EQ(layer.driftCount, 0);
    EXPECT_EQ(layer.zoom, zoom);
    EXPECT_EQ(layer.spin, spin);
    EXPECT_NEAR(layer.sprites[2].birthTime, 0.0f, 1e-5);
}

TEST(TileLayer, UpdateTurnsRandomCellsOnBeforeAnyTile) {
    SceneRig rig(11);
    TileLayer& layer = rig.layer();
    layer.randomCells = false;
    layer.syncSprites = false;
    layer.driftLength = 100; // no new segment: syncSprites stays false
    layer.sprites[0].birthTime = -20.0f;
    const RandomGenerator before = rig.scene->random;
    layer.updateTiles();
    EXPECT_EQ(drawsBetween(before, rig.scene->random), 11);
}

TEST(TileLayer, DriftSegmentOfLengthTwo) {
    SceneRig rig(11);
    TileLayer& layer = rig.layer();
    layer.driftCount = 0;
    layer.driftLength = 2;
    layer.zoomFrom = 1.2f;
    layer.zoomShift = 0.6f;
    layer.spinFrom = 100.0f;
    layer.spinShift = 200.0f;
    const RandomGenerator before = rig.scene->random;
    const float expected[2][2] = {{1.5f, 200.0f}, {1.8f, 300.0f}}; // p = 1/2 (s = 1/2), then the targets
    for (const auto& e : expected) {
        layer.driftStep();
        EXPECT_FLOAT_EQ(layer.zoom, e[0]);
        EXPECT_FLOAT_EQ(layer.spin, e[1]);
    }
    EXPECT_EQ(drawsBetween(before, rig.scene->random), 0);
    layer.driftStep(); // the third opens a new segment from there
    EXPECT_EQ(layer.driftCount, 0);
    EXPECT_FLOAT_EQ(layer.zoomFrom, 1.8f);
    EXPECT_FLOAT_EQ(layer.spinFrom, 300.0f);
    EXPECT_FLOAT_EQ(layer.zoom, 1.8f);
}

// An opening step draws 4 numbers (length, sync, cell, the wedge question),
// one more inside pickWedge, then 1 or 2 each for zoom and spin; a moving
// zoom or spin heads for the band it is not in (1.5 goes down, 180 goes up).
TEST(TileLayer, OpeningStepsAcrossSeeds) {
    int zoomMoves = 0, spinMoves = 0, wedgePicks = 0, synced = 0;
    for (uint32_t seed = 0; seed < 400; ++seed) {
        SceneRig rig(seed);
        TileLayer& layer = rig.layer();
        layer.zoom = 1.5f;
        layer.spin = 180.0f;
        layer.driftCount = layer.driftLength = 0;
        rig.scene->transition.active = false;
        rig.setTime(100.0f);
        const RandomGenerator before = rig.scene->random;
        layer.driftStep();
        const bool picked = rig.scene->transition.active;
        const bool zoomMoved = layer.zoomShift != 0, spinMoved = layer.spinShift != 0;
        EXPECT_EQ(drawsBetween(before, rig.scene->random), 4 + picked + 1 + zoomMoved + 1 + spinMoved)
            << seed;
        EXPECT_TRUE(layer.currentCell >= 0 && layer.currentCell < 4);
        if (zoomMoved) {
            EXPECT_TRUE(layer.zoomFrom + layer.zoomShift >= 1.0f - 1e-6f &&
                        layer.zoomFrom + layer.zoomShift <= 1.5f);
        }
        if (spinMoved) {
            EXPECT_TRUE(layer.spinFrom + layer.spinShift >= 180.0f &&
                        layer.spinFrom + layer.spinShift <= 360.0f);
        }
        zoomMoves += zoomMoved;
        spinMoves += spinMoved;
        wedgePicks += picked;
        synced += layer.syncSprites;
    }
    // Each moves half the time, the layer syncs half the time, and a wedge
    // change is asked for a tenth of the time.
    EXPECT_NEAR(zoomMoves, 200, 60);
    EXPECT_NEAR(spinMoves, 200, 60);
    EXPECT_NEAR(synced, 200, 60);
    EXPECT_NEAR(wedgePicks, 40, 25);
}

TEST(TileLayer, TearDownReleasesTexturesEvenWhenLoadsFailed) {
    SceneRig rig(11);
    TileLayer layer{};
    layer.setUp(rig.scene.get(), false);
    layer.texturesCreated = true; // both names still 0
    layer.tearDown();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_FALSE(layer.texturesCreated);
}

} // namespace
