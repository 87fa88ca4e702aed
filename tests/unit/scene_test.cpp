// The scene on a headless OpenGL context: set-up, the seed-7 trace, frames, glides.
#include "platform/gl.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scene_rig.h"
#include "scene/frame_trace.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>

namespace {

// Set-up: a 90-degree view 1 to 20 units deep at the window's aspect ratio
// (square without height) over the whole window; a wedge index no pick
// produces lands inside the table. (The depth state it sets is undone by the
// first tile pass; the tiles' births show in the seed-7 trace.)
TEST(SceneSetUp, ViewAndWedgeIndex) {
    const int32_t sizes[][3] = {{320, 240, 0}, {64, 1, 0}, {64, 0, 1}};
    for (const auto& size : sizes) {
        SceneRig rig(7, size[0], size[1]);
        GLint viewport[4];
        GLdouble p[16];
        glGetDoublev(GL_PROJECTION_MATRIX, p);
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_NEAR(p[0], size[2] ? 1.0 : double(size[1]) / size[0], 1e-6) << size[0] << "x" << size[1];
        EXPECT_TRUE(std::abs(p[5] - 1) < 1e-6 && std::abs(p[10] + 21.0 / 19) < 1e-6 &&
                    std::abs(p[14] + 40.0 / 19) < 1e-6);
        EXPECT_TRUE(viewport[0] == 0 && viewport[1] == 0 && viewport[2] == size[0] && viewport[3] == size[1]);
        rig.scene->selectWedge(-3, false);
        EXPECT_EQ(rig.scene->currentWedge, &rig.scene->wedgeTable[5]);
    }
}

// Seed 7 at 30 frames a second, every 50th frame's trace line and a digest of
// all 3000 (made with zellik-render --trace --seed 7 --frames 3000): any change
// to the set-up's draws, the random sequence, the clock and sleep, the drift,
// the glides or the tiles' lives and looks shows here.
TEST(SceneRun, SeedSevenGivesTheKnownTrace) {
    std::istringstream golden(fileText(ZELLIK_SOURCE_DIR "/tests/unit/trace-seed7.txt"));
    testContext();
    SteppedCounter clock{30, 1, 0};
    KaleidoscopeScene scene(320, 240, 7, clock.counter());
    char line[2048];
    uint64_t digest = 1469598103934665603ull; // FNV-1a
    std::string expected;
    for (int64_t frame = 1; frame <= 3000; ++frame) {
        clock.step();
        scene.advanceFrame();
        formatFrameTrace(scene, frame, line, sizeof line);
        for (const char* c = line; *c != '\0'; ++c)
            digest = (digest ^ static_cast<unsigned char>(*c)) * 1099511628211ull;
        if (frame == 1 || frame % 50 == 0) {
            std::getline(golden, expected);
            ASSERT_EQ(line, expected);
        }
    }
    std::getline(golden, expected);
    std::snprintf(line, sizeof line, "digest=%016llx", static_cast<unsigned long long>(digest));
    EXPECT_EQ(line, expected);
    char part[8]; // too short: cut, and the length is what was kept
    EXPECT_TRUE(formatFrameTrace(scene, 1, part, sizeof part) == 7 && std::string(part) == "frame=1");
}

// Bit 16 alone switches the mirrors; with them a wedge is drawn in pairs of
// copies, without them the layer once.
TEST(Frame, MirrorsFollowBitSixteen) {
    SceneRig rig;
    const uint32_t flags[] = {0x10000, 0x1, 0x20000, 0xFFFFFFFF, 0};
    for (int i = 0; i < 5; ++i) {
        rig.frameAt(33 * (i + 1), flags[i]);
        const bool on = (flags[i] & 0x10000) != 0;
        const int32_t segments = rig.scene->drawnWedge->segmentCount;
        EXPECT_EQ(rig.scene->mirrorsOn, on);
        EXPECT_EQ(rig.scene->layerDraws, on ? 2 * ((segments + 1) / 2) : 1);
    }
    EXPECT_TRUE(rig.scene->renderFrame(0));
}

// An animated pick from 36 to 15 degrees at 10 s makes 15 current at once and
// glides two seconds, eased; re-aimed at 11 s to 30 it glides on from the angle
// on screen; an unanimated pick then changes the current entry only; re-aimed
// long after a glide never stepped, from its target.
TEST(WedgeTransition, GlidesAndReAims) {
    const struct {
        float reAimAt;
        int reAimTo;
        bool animated;
        float times[5], angles[5]; // angle 0: still gliding
        bool activeAfter;
    } glides[] = {
        {0, 7, true, {10, 10.5f, 11, 11.5f, 12}, {36, 32.71875f, 25.5f, 18.28125f, 15}, false},
        {11, 1, true, {11, 12, 12.999f, 13, 13.5f}, {25.5f, 27.75f, 0, 30, 30}, false},
        {11, 2, false, {11, 11.5f, 12, 13, 13}, {25.5f, 18.28125f, 15, 15, 15}, false},
        {25, 3, true, {25, 26, 26, 26, 26}, {15, 18.75f, 18.75f, 18.75f, 18.75f}, true},
    };
    for (const auto& g : glides) {
        SceneRig rig;
        KaleidoscopeScene& s = *rig.scene;
        s.selectWedge(0, false);
        rig.setTime(10.0f);
        s.selectWedge(7, true);
        EXPECT_EQ(s.currentWedge, &s.wedgeTable[7]);
        if (g.reAimAt > 0) {
            rig.setTime(g.reAimAt);
            s.selectWedge(g.reAimTo, g.animated);
            EXPECT_TRUE(s.transition.startTime == (g.animated ? g.reAimAt : 10) &&
                        s.transition.duration == 2.0f);
        }
        for (int i = 0; i < 5 && s.transition.active; ++i) {
            rig.setTime(g.times[i]);
            const float angle = s.stepTransition().angle;
            EXPECT_TRUE(g.angles[i] == 0 ? s.transition.active : angle == g.angles[i])
                << g.times[i] << ": " << angle;
        }
        EXPECT_EQ(s.transition.active, g.activeAfter);
        EXPECT_EQ(s.currentWedge, &s.wedgeTable[g.reAimTo]);
    }
}

} // namespace
