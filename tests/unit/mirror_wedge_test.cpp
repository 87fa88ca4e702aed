// Mirror wedges: segment counts, chords and clip planes, and the portable
// cosine and sine they are computed with.
#include "scene/mirror_wedge.h"
#include "scene/portable_math.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

MirrorWedge wedgeOf(float angle) {
    MirrorWedge wedge{};
    buildWedge(wedge, angle);
    return wedge;
}

TEST(MirrorWedge, TableEntries) {
    struct Entry {
        int n;
        float angle;
        int segments;
        float chord;
    };
    const Entry table[] = {{10, 36.0f, 10, 2.472135f},      {12, 30.0f, 12, 2.070552f},
                           {14, 25.714285f, 14, 1.780167f}, {16, 22.5f, 16, 1.560722f},
                           {18, 20.0f, 18, 1.389185f},      {20, 18.0f, 20, 1.251476f},
                           {22, 16.363636f, 22, 1.138519f}, {24, 15.0f, 24, 1.044210f}};
    for (const Entry& e : table) {
        const MirrorWedge w = wedgeOf(static_cast<float>(360.0 / e.n));
        EXPECT_NEAR(w.angle, e.angle, 1e-5) << e.n;
        EXPECT_EQ(w.segmentCount, e.segments) << e.n;
        EXPECT_NEAR(w.chord, e.chord, 1.5e-6) << e.n;
    }
}

TEST(MirrorWedge, RemainderRule) {
    EXPECT_EQ(wedgeOf(33.0f).segmentCount, 11);
    EXPECT_EQ(wedgeOf(35.99f).segmentCount, 10);
    EXPECT_EQ(wedgeOf(35.9f).segmentCount, 11);
    EXPECT_EQ(wedgeOf(22.46875f).segmentCount, 16); // remainder exactly 0.5
    EXPECT_EQ(wedgeOf(22.46f).segmentCount, 17);
}

TEST(MirrorWedge, PlanesBoundTheWedgeFromStraightDown) {
    const MirrorWedge w = wedgeOf(36.0f);
    EXPECT_EQ(w.startPlane[0], 1.0);
    EXPECT_EQ(w.startPlane[1], 0.0);
    EXPECT_EQ(w.startPlane[2], 0.0);
    EXPECT_EQ(w.startPlane[3], 0.0);
    EXPECT_NEAR(w.endPlane[0], -0.809019, 1e-6);
    EXPECT_NEAR(w.endPlane[1], -0.587783, 1e-6);
    EXPECT_EQ(w.endPlane[2], 0.0);
    EXPECT_EQ(w.endPlane[3], 0.0);

    // A point inside the wedge (just counter-clockwise of straight down)
    // passes both planes; points just outside either edge do not.
    auto passes = [&](double x, double y) {
        return w.startPlane[0] * x + w.startPlane[1] * y >= 0 && w.endPlane[0] * x + w.endPlane[1] * y >= 0;
    };
    const double inside = (270.0 + 18.0) * M_PI / 180.0;
    EXPECT_TRUE(passes(std::cos(inside), std::sin(inside)));
    const double beforeStart = (270.0 - 1.0) * M_PI / 180.0;
    EXPECT_FALSE(passes(std::cos(beforeStart), std::sin(beforeStart)));
    const double afterEnd = (270.0 + 37.0) * M_PI / 180.0;
    EXPECT_FALSE(passes(std::cos(afterEnd), std::sin(afterEnd)));
}

TEST(MirrorWedge, FirstRimPointIsOffTheAxisByTheRadianConstant) {
    const MirrorWedge w = wedgeOf(30.0f);
    EXPECT_NEAR(w.rimStart.x, -0.0000152, 1e-7);
    EXPECT_FLOAT_EQ(w.rimStart.y, -4.0f);
    EXPECT_EQ(w.rimStart.z, 0.0f);
}

TEST(MirrorWedge, OutOfRangeAnglesStaySafe) {
    EXPECT_GE(wedgeOf(0.0f).segmentCount, 0);
    EXPECT_GE(wedgeOf(-10.0f).segmentCount, 0);
    EXPECT_EQ(wedgeOf(180.0f).segmentCount, 2);
}

TEST(PortableMath, AgreesWithTheCLibraryToAnUlp) {
    for (double x = -200.0; x <= 200.0; x += 0.0137) {
        EXPECT_NEAR(portableCos(x), std::cos(x), 2.3e-16) << x;
        EXPECT_NEAR(portableSin(x), std::sin(x), 2.3e-16) << x;
    }
    for (double x = 1000.0; x <= 70000.0; x += 97.3) {
        EXPECT_NEAR(portableCos(x), std::cos(x), 1e-12) << x;
        EXPECT_NEAR(portableSin(x), std::sin(x), 1e-12) << x;
    }
    EXPECT_EQ(portableCos(0.0), 1.0);
    EXPECT_EQ(portableSin(0.0), 0.0);
}

} // namespace
