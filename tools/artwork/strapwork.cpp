#include "tools/artwork/strapwork.h"

#include <cmath>

double strapProfile(double g, const StrapStyle& style) {
    double d = std::fabs(g);
    if (d < style.lineHalf) {
        return 0.0;
    }
    if (d < style.halfWidth) {
        // Each half of the strap is rounded like a cord: bright along its
        // middle, dimmer towards the black lines that bound it.
        const double pi = 3.14159265358979323846;
        double across = (d - style.lineHalf) / (style.halfWidth - style.lineHalf);
        return style.strapGrey * (0.62 + 0.38 * std::sin(pi * across));
    }
    return 0.0;
}

bool shadeStraps(const Strand* strands, int count, int parity, const StrapStyle& style, double* value) {
    const double reach = style.halfWidth + style.rim;
    int first = -1;
    int second = -1;
    for (int i = 0; i < count; ++i) {
        if (std::fabs(strands[i].g) >= reach) {
            continue;
        }
        if (first < 0 || std::fabs(strands[i].g) < std::fabs(strands[first].g)) {
            second = first;
            first = i;
        } else if (second < 0 || std::fabs(strands[i].g) < std::fabs(strands[second].g)) {
            second = i;
        }
    }
    if (first < 0) {
        return false;
    }
    int top = first;
    if (second >= 0) {
        const Strand& a = strands[first];
        const Strand& b = strands[second];
        int others = parity ^ sideOf(a) ^ sideOf(b);
        double cross = a.nx * b.ny - a.ny * b.nx;
        top = (others == (cross > 0.0 ? 1 : 0)) ? first : second;
    }
    *value = strapProfile(strands[top].g, style);
    return true;
}
