// The scene on a real (headless) OpenGL context: set-up, the random
// sequence, wedge selection and transitions, and the state each frame leaves.
#include "platform/gl.h"
#include "scene/kaleidoscope_scene.h"
#include "tests/support/scene_rig.h"

#include <gtest/gtest.h>

namespace {

// Scenes on a simulated clock that the test moves by hand, in milliseconds.
TEST(SceneSetUp, DrawsAFixedSequenceFromTheSeed) {
    for (uint32_t seed : {0u, 42u, 255u}) {
        SceneRig rig(seed);
        RandomGenerator expected{};
        expected.seed(seed);
        expected.next(); // discarded after seeding
        const int32_t first = expected.next();
        EXPECT_EQ(rig.scene->currentWedge - rig.scene->wedgeTable,
                  static_cast<int32_t>(first * static_cast<double>(kRandomScale) * 8.0));
        // Layer construction 5, initTiles 2 cells, then per sprite 2 + its
        // respawn: 8 synchronised, 10 unsynchronised (no random cell yet).
        const int perSprite = 2 + (rig.scene->tileLayer.syncSprites ? 8 : 10);
        EXPECT_EQ(drawsBetween(expected, rig.scene->random), 5 + 2 + 3 * perSprite) << seed;
        EXPECT_FALSE(rig.scene->transition.active);
        EXPECT_EQ(rig.scene->currentTime(), 0.0f);
    }
}

TEST(SceneSetUp, EqualSeedsGiveEqualScenes) {
    SceneRig a(99), b(99);
    EXPECT_EQ(a.scene->random.state, b.scene->random.state);
    EXPECT_EQ(a.scene->currentWedge - a.scene->wedgeTable, b.scene->currentWedge - b.scene->wedgeTable);
    EXPECT_EQ(a.scene->tileLayer.zoom, b.scene->tileLayer.zoom);
    for (int i = 0; i < kSpriteCount; ++i)
        EXPECT_EQ(a.scene->tileLayer.sprites[i].alpha, b.scene->tileLayer.sprites[i].alpha);
    EXPECT_LT(seedFromCalendarTime(), 256u);
}

TEST(SceneSetUp, TableAndGlState) {
    SceneRig rig;
    for (int k = 0; k < kWedgeTableSize; ++k)
        EXPECT_EQ(rig.scene->wedgeTable[k].segmentCount, 10 + 2 * k);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(rig.scene->sleepInterval(), 41);
    EXPECT_EQ(rig.scene->clock.targetFrameRate, 30);
}

TEST(Frame, LeavesNoClipPlaneAndTheModelViewStackAsFound) {
    SceneRig rig;
    for (uint32_t flags : {kRenderMirrors, 0u, kRenderMirrors}) {
        rig.frameAt(33, flags);
        EXPECT_FALSE(glIsEnabled(GL_CLIP_PLANE0));
        EXPECT_FALSE(glIsEnabled(GL_CLIP_PLANE1));
        EXPECT_FALSE(glIsEnabled(GL_CLIP_PLANE2));
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        GLint depth = 0, mode = 0, front = 0;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        glGetIntegerv(GL_FRONT_FACE, &front);
        EXPECT_EQ(depth, 1);
        EXPECT_EQ(mode, GL_MODELVIEW);
        EXPECT_EQ(front, GL_CCW);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST(Frame, MirrorsFollowBitSixteenOnly) {
    SceneRig rig;
    rig.frameAt(33, 0x10000);
    EXPECT_TRUE(rig.scene->mirrorsOn);
    rig.frameAt(66, 0x1);
    EXPECT_FALSE(rig.scene->mirrorsOn);
    EXPECT_EQ(rig.scene->layerDraws, 1);
    rig.frameAt(99, 0x20000);
    EXPECT_FALSE(rig.scene->mirrorsOn);
    rig.frameAt(132, 0xFFFFFFFF);
    EXPECT_TRUE(rig.scene->mirrorsOn);
    EXPECT_TRUE(rig.scene->renderFrame(0));
}

TEST(Frame, PassesAndLayerDrawsPerWedge) {
    SceneRig rig;
    rig.frameAt(33);
    rig.scene->transition.active = false;
    rig.scene->selectWedge(0, false); // 36 degrees, 10 segments
    rig.frameAt(66);
    EXPECT_EQ(rig.scene->layerDraws, 10);
    rig.scene->selectWedge(7, false); // 15 degrees, 24 segments
    rig.frameAt(99);
    EXPECT_EQ(rig.scene->layerDraws, 24);
    MirrorWedge odd{};
    buildWedge(odd, 33.0f); // 11 segments: 6 passes covering 396 degrees
    rig.scene->mirrorsOn = true;
    EXPECT_EQ(rig.scene->drawMirrored(odd), 12);
    rig.scene->mirrorsOn = false;
    EXPECT_EQ(rig.scene->drawMirrored(odd), 1);
    MirrorWedge none{};
    none.segmentCount = 0;
    EXPECT_EQ(rig.scene->drawMirrored(none), 0);
}

TEST(WedgeSelection, PickWedgeCoversTheTableByEighths) {
    SceneRig rig;
    int counts[kWedgeTableSize] = {};
    for (int pick = 0; pick < 32768; ++pick) {
        rig.scene->pickWedge(false);
        ++counts[rig.scene->currentWedge - rig.scene->wedgeTable];
    }
    for (const int count : counts)
        EXPECT_GT(count, 3500);
    EXPECT_FALSE(rig.scene->transition.active);
}

// From idle with the 36-degree entry current, an animated pick of the
// 15-degree entry at `now`.
void glideFrom36To15At(KaleidoscopeScene& s, float now) {
    s.transition.active = false;
    s.selectWedge(0, false);
    s.clock.currentTime = now;
    s.selectWedge(7, true);
}

TEST(WedgeTransition, GlidesOverTwoSecondsWithEasing) {
    SceneRig rig;
    KaleidoscopeScene& s = *rig.scene;
    glideFrom36To15At(s, 10.0f);
    EXPECT_EQ(s.currentWedge, &s.wedgeTable[7]);
    ASSERT_TRUE(s.transition.active);
    const float times[] = {10.0f, 10.5f, 11.0f, 11.5f, 12.0f};
    const float angles[] = {36.0f, 32.71875f, 25.5f, 18.28125f, 15.0f};
    for (int i = 0; i < 5; ++i) {
        s.clock.currentTime = times[i];
        EXPECT_EQ(s.stepTransition().angle, angles[i]) << times[i];
    }
    EXPECT_FALSE(s.transition.active); // ended at 12.0, drawn at the target
    EXPECT_EQ(s.transition.blendWedge.segmentCount, 24);
}

TEST(WedgeTransition, ReAimingStartsFromTheAngleOnScreen) {
    SceneRig rig;
    KaleidoscopeScene& s = *rig.scene;
    glideFrom36To15At(s, 10.0f);
    s.clock.currentTime = 11.0f;
    s.selectWedge(1, true); // 30 degrees
    EXPECT_EQ(s.transition.startAngle, 25.5f);
    EXPECT_EQ(s.transition.targetAngle, 30.0f);
    EXPECT_EQ(s.transition.startTime, 11.0f);
    EXPECT_EQ(s.stepTransition().angle, 25.5f);
    s.clock.currentTime = 12.999f;
    s.stepTransition();
    EXPECT_TRUE(s.transition.active);
    s.clock.currentTime = 13.0f;
    EXPECT_EQ(s.stepTransition().angle, 30.0f);
    EXPECT_FALSE(s.transition.active);
}

TEST(WedgeTransition, AStalledTransitionIsReAimedFromItsTarget) {
    SceneRig rig;
    KaleidoscopeScene& s = *rig.scene;
    glideFrom36To15At(s, 10.0f);
    s.clock.currentTime = 25.0f; // long past the end, not yet stepped
    s.selectWedge(3, true);
    EXPECT_EQ(s.transition.startAngle, 15.0f);
    EXPECT_EQ(s.transition.targetAngle, 22.5f);
}

TEST(WedgeTransition, AnUnanimatedPickLeavesARunningTransitionAlone) {
    SceneRig rig;
    KaleidoscopeScene& s = *rig.scene;
    glideFrom36To15At(s, 1.0f);
    s.selectWedge(2, false);
    EXPECT_EQ(s.currentWedge, &s.wedgeTable[2]);
    EXPECT_EQ(s.transition.targetAngle, 15.0f);
    EXPECT_TRUE(s.transition.active);
    s.selectWedge(-3, false); // never produced by a pick, still inside the table
    EXPECT_EQ(s.currentWedge, &s.wedgeTable[5]);
}

TEST(WedgeTransition, TheDrawnWedgeIsTheBlendWhileRunning) {
    SceneRig rig;
    KaleidoscopeScene& s = *rig.scene;
    rig.frameAt(33);
    glideFrom36To15At(s, s.currentTime()); // at 0.033
    rig.frameAt(1033);
    EXPECT_EQ(s.drawnWedge, &s.transition.blendWedge);
    EXPECT_NEAR(s.drawnWedge->angle, 25.5f, 1e-4);
    EXPECT_EQ(s.drawnWedge->segmentCount, 15);
    rig.frameAt(2100); // past the end: drawn at the target, then over
    EXPECT_EQ(s.drawnWedge, &s.transition.blendWedge);
    EXPECT_EQ(s.drawnWedge->angle, 15.0f);
    EXPECT_FALSE(s.transition.active);
    rig.frameAt(2133);
    EXPECT_EQ(s.drawnWedge, &s.wedgeTable[7]);
}

} // namespace
