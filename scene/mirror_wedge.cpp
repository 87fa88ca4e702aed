#include "scene/mirror_wedge.h"
#include "scene/portable_math.h"

#include <cmath>

Point3 Point3::minus(const Point3& other) const {
    return Point3{x - other.x, y - other.y, z - other.z};
}

float Point3::length() const {
    const double dx = x, dy = y, dz = z;
    return static_cast<float>(std::sqrt(dx * dx + dy * dy + dz * dz));
}

void buildWedge(MirrorWedge& wedge, float angle) {
    wedge.angle = angle;

    // A remainder of more than half a degree gets one more segment, so the
    // circle is closed (or over-closed) rather than left with a visible gap.
    const double quotient = static_cast<double>(360.0f) / angle;
    const int32_t whole = (quotient > 0.0 && quotient < 2147483647.0) ? static_cast<int32_t>(quotient) : 0;
    wedge.segmentCount = (360.0f - static_cast<double>(whole) * angle > 0.5) ? whole + 1 : whole;

    // The radian constant of 270 degrees is a little below 3 pi / 2, so the
    // first rim point is not exactly on the y axis; the chords include that.
    const double start = static_cast<double>(4.712385f);
    wedge.rimStart = Point3{static_cast<float>(4.0 * portableCos(start)),
                            static_cast<float>(4.0 * portableSin(start)), 0.0f};
    const double theta = (static_cast<double>(angle) + 270.0f) * static_cast<double>(kDegreesToRadians);
    wedge.rimEnd = Point3{static_cast<float>(4.0 * portableCos(theta)),
                          static_cast<float>(4.0 * portableSin(theta)), 0.0f};
    wedge.chord = wedge.rimStart.minus(wedge.rimEnd).length();

    wedge.startPlane[0] = 1.0;
    wedge.startPlane[1] = 0.0;
    wedge.startPlane[2] = 0.0;
    wedge.startPlane[3] = 0.0;
    const double phi = (static_cast<double>(angle) + 270.0f - 90.0f) * static_cast<double>(kDegreesToRadians);
    wedge.endPlane[0] = portableCos(phi);
    wedge.endPlane[1] = portableSin(phi);
    wedge.endPlane[2] = 0.0;
    wedge.endPlane[3] = 0.0;
}
