// The tile layer and its sprites: lives, respawns, the drift of the shared
// zoom and spin, and the number and order of random draws that fix them.
#include "platform/gl.h"
#include "scene/kaleidoscope_scene.h"
#include "tests/support/scene_rig.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(TileLayer, ConstructionDrawsFive) {
    SceneRig rig(11);
    TileLayer fresh{};
    const RandomGenerator before = rig.scene->random;
    fresh.setUp(rig.scene.get(), false);
    EXPECT_EQ(drawsBetween(before, rig.scene->random), 5);
    EXPECT_GE(fresh.zoom, 1.0f);
    EXPECT_LE(fresh.zoom, 2.0f);
    EXPECT_GE(fresh.spin, 0.0f);
    EXPECT_LE(fresh.spin, 360.0f);
    EXPECT_EQ(fresh.cellCount, 4);
    EXPECT_EQ(fresh.driftLength, 0);
}

TEST(TileSprite, RespawnDrawCounts) {
    SceneRig rig(11);
    TileLayer& layer = rig.layer();
    TileSprite sprite{};
    sprite.phase = 0.0f;
    struct Case {
        bool sync;
        bool randomCells;
        int draws;
    };
    for (const Case c :
         {Case{true, true, 8}, Case{true, false, 8}, Case{false, false, 10}, Case{false, true, 11}}) {
        layer.syncSprites = c.sync;
        layer.randomCells = c.randomCells;
        const RandomGenerator before = rig.scene->random;
        sprite.respawnSprite(layer);
        EXPECT_EQ(drawsBetween(before, rig.scene->random), c.draws) << c.sync << c.randomCells;
    }
}

TEST(TileSprite, SynchronisedRespawnTakesTheSharedLooks) {
    SceneRig rig(11);
    TileLayer& layer = rig.layer();
    layer.syncSprites = true;
    layer.spin = 123.5f;
    layer.zoom = 1.75f;
    layer.currentCell = 3;
    TileSprite sprite{};
    sprite.respawnSprite(layer);
    EXPECT_EQ(sprite.spin, 123.5f);
    EXPECT_EQ(sprite.scale, 2.0f);
    EXPECT_EQ(sprite.cell, 3);
    EXPECT_GE(sprite.alpha, 0.5f);
    EXPECT_LE(sprite.alpha, 1.0f);
    EXPECT_LE(sprite.y, 0.0f);
    EXPECT_GE(sprite.y, -2.4f);
    EXPECT_GE(sprite.z, 0.0f);
    EXPECT_LE(sprite.z, 2.0f);
}

TEST(TileSprite, UnsynchronisedRespawnBeforeTheFirstFrameKeepsTheLayerCell) {
    SceneRig rig(11);
    TileLayer& layer = rig.layer();
    layer.syncSprites = false;
    layer.randomCells = false;
    layer.currentCell = 2;
    TileSprite sprite{};
    for (int i = 0; i < 20; ++i) {
        sprite.respawnSprite(layer);
        EXPECT_EQ(sprite.cell, 2);
        EXPECT_LE(sprite.spin, 2.0f * layer.spin);
        EXPECT_LE(sprite.scale, layer.zoom + 0.25f);
    }
}

TEST(TileSprite, TextureRectangleOfEachCell) {
    SceneRig rig(11);
    TileLayer& layer = rig.layer();
    ASSERT_EQ(layer.atlas().width, 1024);
    ASSERT_EQ(layer.atlas().height, 1024);
    layer.syncSprites = true;
    const float expected[4][2] = {{0.0f, 0.0f}, {0.5f, 0.0f}, {0.0f, 0.5f}, {0.5f, 0.5f}};
    for (int cell = 0; cell < 4; ++cell) {
        layer.currentCell = cell;
        TileSprite sprite{};
        sprite.respawnSprite(layer);
        EXPECT_EQ(sprite.texLeft, expected[cell][0]);
        EXPECT_EQ(sprite.texTop, expected[cell][1]);
        EXPECT_EQ(sprite.texWidth, 0.5f);
        EXPECT_EQ(sprite.texHeight, 0.5f);
    }
}

TEST(TileSprite, WithoutAnAtlasTheRectangleStaysFinite) {
    SceneRig rig(11);
    TileLayer& layer = rig.layer();
    layer.textures[0].width = 0;
    layer.textures[0].height = 0;
    TileSprite sprite{};
    sprite.respawnSprite(layer);
    EXPECT_TRUE(std::isfinite(sprite.texLeft) && std::isfinite(sprite.texTop));
    EXPECT_TRUE(std::isfinite(sprite.texWidth) && std::isfinite(sprite.texHeight));
}

TEST(TileSprite, InitialSpawnsStaggerTheLives) {
    SceneRig rig(11);
    const TileLayer& layer = rig.layer();
    EXPECT_EQ(layer.sprites[0].birthTime, 0.0f);
    EXPECT_EQ(layer.sprites[1].birthTime, -8.0f);
    EXPECT_EQ(layer.sprites[2].birthTime, -16.0f);
}

TEST(TileSprite, AnUpdateAtTimeZeroRespawnsNothing) {
    SceneRig rig(11);
    TileLayer& layer = rig.layer();
    const RandomGenerator before = rig.scene->random;
    rig.setTime(0.0f);
    layer.updateTiles();
    EXPECT_EQ(drawsBetween(before, rig.scene->random), 0);
    const float chord = rig.scene->currentWedge->chord;
    EXPECT_EQ(layer.sprites[1].phase, 0.5f);
    EXPECT_FLOAT_EQ(layer.sprites[1].x, chord / 2.0f);
    EXPECT_EQ(layer.sprites[0].x, -chord);
    EXPECT_EQ(layer.sprites[2].phase, 1.0f); // exactly 1 does not end a life
    EXPECT_FLOAT_EQ(layer.sprites[2].x, 2.0f * chord);
    EXPECT_EQ(layer.driftLength, 0);
}

TEST(TileSprite, TheFirstPositiveTimeRespawnsTheThirdTileAndOpensADrift) {
    SceneRig rig(11);
    TileLayer& layer = rig.layer();
    const float zoom = layer.zoom, spin = layer.spin;
    rig.setTime(0.033f);
    layer.updateTiles();
    EXPECT_TRUE(layer.randomCells);
    EXPECT_GE(layer.driftLength, 1);
    EXPECT_LE(layer.driftLength, 3);
    EXPECT_EQ(layer.driftCount, 0);
    EXPECT_EQ(layer.zoom, zoom); // the opening step leaves both where they are
    EXPECT_EQ(layer.spin, spin);
    // Born at -16, its life ended just after 0: the new one keeps the
    // schedule, born at 0 and already 33 ms in.
    EXPECT_NEAR(layer.sprites[2].birthTime, 0.0f, 1e-5);
    EXPECT_NEAR(layer.sprites[2].phase, 0.033f / 16.0f, 1e-6);
}

TEST(TileSprite, PositionAcrossALife) {
    SceneRig rig(11);
    TileLayer& layer = rig.layer();
    TileSprite& sprite = layer.sprites[0];
    const float chord = rig.scene->currentWedge->chord;
    sprite.birthTime = 0.0f;
    rig.setTime(16.0f / 3.0f);
    sprite.updateSprite(layer);
    EXPECT_NEAR(sprite.x, 0.0f, 1e-6);
    EXPECT_FLOAT_EQ(sprite.rotation, sprite.spin / 3.0f);
    rig.setTime(16.0f);
    sprite.updateSprite(layer);
    EXPECT_FLOAT_EQ(sprite.x, 2.0f * chord);
    EXPECT_EQ(sprite.birthTime, 0.0f);
}

TEST(TileSprite, AStallLongerThanALifeRespawnsOnceKeepingTheFraction) {
    SceneRig rig(11);
    TileLayer& layer = rig.layer();
    TileSprite& sprite = layer.sprites[0];
    sprite.birthTime = 0.0f;
    layer.driftLength = 3;
    layer.driftCount = 0;
    rig.setTime(52.0f); // 3.25 lives
    sprite.updateSprite(layer);
    EXPECT_EQ(sprite.phase, 0.25f);
    EXPECT_EQ(sprite.birthTime, 48.0f);
    EXPECT_EQ(layer.driftCount, 1); // one drift step only
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
    layer.driftStep();
    EXPECT_FLOAT_EQ(layer.zoom, 1.5f); // p = 1/2, s = 1/2
    EXPECT_FLOAT_EQ(layer.spin, 200.0f);
    layer.driftStep();
    EXPECT_FLOAT_EQ(layer.zoom, 1.8f); // p = 1, the targets
    EXPECT_FLOAT_EQ(layer.spin, 300.0f);
    EXPECT_EQ(drawsBetween(before, rig.scene->random), 0);
    layer.driftStep(); // the third opens a new segment from there
    EXPECT_EQ(layer.driftCount, 0);
    EXPECT_FLOAT_EQ(layer.zoomFrom, 1.8f);
    EXPECT_FLOAT_EQ(layer.spinFrom, 300.0f);
    EXPECT_FLOAT_EQ(layer.zoom, 1.8f);
}

TEST(TileLayer, DriftTargetsLieInTheOppositeBand) {
    int zoomMoves = 0, spinMoves = 0, wedgePicks = 0;
    for (uint32_t seed = 0; seed < 400; ++seed) {
        SceneRig rig(seed);
        TileLayer& layer = rig.layer();
        // Equal to the band limits: a zoom of 1.5 goes down, a spin of 180 up.
        layer.zoom = 1.5f;
        layer.spin = 180.0f;
        layer.driftCount = 0;
        layer.driftLength = 0;
        const bool wasActive = rig.scene->transition.active;
        layer.driftStep();
        wedgePicks += (!wasActive && rig.scene->transition.active) ? 1 : 0;
        if (layer.zoomShift != 0.0f) {
            ++zoomMoves;
            const float target = layer.zoomFrom + layer.zoomShift;
            EXPECT_GE(target, 1.0f - 1e-6f);
            EXPECT_LE(target, 1.5f + 1e-6f);
        }
        if (layer.spinShift != 0.0f) {
            ++spinMoves;
            const float target = layer.spinFrom + layer.spinShift;
            EXPECT_GE(target, 180.0f - 1e-4f);
            EXPECT_LE(target, 360.0f + 1e-4f);
        }
    }
    // Each moves about half the time; a wedge change is asked about a tenth.
    EXPECT_GT(zoomMoves, 140);
    EXPECT_LT(zoomMoves, 260);
    EXPECT_GT(spinMoves, 140);
    EXPECT_LT(spinMoves, 260);
    EXPECT_GT(wedgePicks, 15);
    EXPECT_LT(wedgePicks, 80);
}

TEST(TileLayer, OpeningDrawsInOrder) {
    // 3 draws, 1 for the wedge question (+1 inside pickWedge), then 1 or 2
    // for the zoom and 1 or 2 for the spin.
    for (uint32_t seed = 0; seed < 50; ++seed) {
        SceneRig rig(seed);
        TileLayer& layer = rig.layer();
        layer.driftCount = layer.driftLength = 0;
        const bool wasActive = rig.scene->transition.active;
        const float startTime = rig.scene->transition.startTime;
        rig.setTime(100.0f);
        const RandomGenerator before = rig.scene->random;
        layer.driftStep();
        const bool picked =
            rig.scene->transition.active && (!wasActive || rig.scene->transition.startTime != startTime);
        const int expected =
            4 + (picked ? 1 : 0) + (layer.zoomShift != 0.0f ? 2 : 1) + (layer.spinShift != 0.0f ? 2 : 1);
        EXPECT_EQ(drawsBetween(before, rig.scene->random), expected) << seed;
    }
}

TEST(TileLayer, UpdateTurnsRandomCellsOnBeforeAnyTile) {
    SceneRig rig(11);
    TileLayer& layer = rig.layer();
    layer.randomCells = false;
    layer.syncSprites = false;
    layer.driftCount = 0;
    layer.driftLength = 100; // no new segment: syncSprites stays false
    layer.sprites[0].birthTime = -20.0f;
    const RandomGenerator before = rig.scene->random;
    rig.setTime(0.0f);
    layer.updateTiles();
    EXPECT_TRUE(layer.randomCells);
    EXPECT_EQ(drawsBetween(before, rig.scene->random), 11);
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
