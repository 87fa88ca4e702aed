// One way of cutting the circle into equal wedges: the wedge from 270 degrees
// (straight down) to 270 + angle, its two clip planes and its chord at
// radius 4.
#pragma once
#include <cstdint>

// The single-precision degree-to-radian factor used throughout the scene.
constexpr float kDegreesToRadians = 0.01745328f;

struct Point3 {
    float x, y, z;

    Point3 minus(const Point3& other) const;
    float length() const;
};

struct MirrorWedge {
    float angle;          // degrees
    int32_t segmentCount; // wedges of this angle used to close the circle
    Point3 rimStart;      // radius 4 on the first edge (270 degrees)
    Point3 rimEnd;        // radius 4 on the second edge (270 + angle)
    float chord;          // |rimStart - rimEnd|, about 8 sin(angle / 2)
    double startPlane[4]; // keeps x >= 0
    double endPlane[4];   // keeps x cos(angle) + y sin(angle) <= 0
};

// Fills every field of `wedge` for `angle` degrees. Meant for angles between
// 15 and 36 degrees; any angle above 0 and below 180 gives a proper wedge.
void buildWedge(MirrorWedge& wedge, float angle);
