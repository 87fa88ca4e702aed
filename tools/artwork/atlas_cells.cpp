#include "tools/artwork/atlas_cells.h"

#include "tools/artwork/strapwork.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr double kPi = 3.14159265358979323846;

double fract(double v) {
    return v - std::floor(v);
}

// A soft-edged stripe test for echo lines: 1 on the line, 0 between lines.
double stripe(double distance, double period, double duty) {
    return fract(distance / period) < duty ? 1.0 : 0.0;
}

// A glow that is brightest along the straps and sinks into the face.
double glow(double into, double reach, double high, double low) {
    return low + (high - low) * std::exp(-into / reach);
}

// Echo lines that follow the face's outline, alternating two greys.
double echo(double into, double period, double light, double dark) {
    return stripe(into, period, 0.45) > 0.0 ? light : dark;
}

Strand lineStrand(double x, double y, double angle, double offset) {
    double nx = std::cos(angle);
    double ny = std::sin(angle);
    return Strand{nx * x + ny * y - offset, nx, ny};
}

Strand circleStrand(double x, double y, double cx, double cy, double radius) {
    double dx = x - cx;
    double dy = y - cy;
    double r = std::sqrt(dx * dx + dy * dy);
    if (r < 1e-12) {
        return Strand{-radius, 1.0, 0.0};
    }
    return Strand{r - radius, dx / r, dy / r};
}

double nearestReach(const Strand* strands, int count) {
    double best = 1e9;
    for (int i = 0; i < count; ++i) {
        best = std::fmin(best, std::fabs(strands[i].g));
    }
    return best;
}

double roundedSquareDistance(double x, double y, double half, double cornerRadius) {
    double qx = std::fabs(x) - half + cornerRadius;
    double qy = std::fabs(y) - half + cornerRadius;
    double outside = std::hypot(std::fmax(qx, 0.0), std::fmax(qy, 0.0));
    double inside = std::fmin(std::fmax(qx, qy), 0.0);
    return outside + inside - cornerRadius;
}

// Cell 0: an eight-fold interlaced star inside a rounded square frame.
double rosetteInSquare(double x, double y) {
    double sd = roundedSquareDistance(x, y, 0.93, 0.2);
    if (sd > 0.0) {
        return 0.0;
    }
    if (sd > -0.03) {
        return 1.0;
    }
    if (sd > -0.042) {
        return 0.0;
    }
    if (sd > -0.052) {
        return 1.0;
    }
    if (sd > -0.064) {
        return 0.0;
    }
    Strand strands[21];
    int count = 0;
    for (int k = 0; k < 8; ++k) {
        strands[count++] = lineStrand(x, y, k * kPi / 4.0, 0.30);
    }
    for (int k = 0; k < 8; ++k) {
        strands[count++] = lineStrand(x, y, kPi / 8.0 + k * kPi / 4.0, 0.63);
    }
    strands[count++] = circleStrand(x, y, 0.0, 0.0, 0.47);
    for (int k = 0; k < 4; ++k) {
        double a = kPi / 4.0 + k * kPi / 2.0;
        strands[count++] = circleStrand(x, y, 0.93 * std::cos(a), 0.93 * std::sin(a), 0.13);
    }
    const StrapStyle style{0.024, 0.009, 0.0052, 1.0};
    const double reach = style.halfWidth + style.rim;
    // Inside the central octagon a small star of two squares and a ring run
    // on their own, passing under the octagon's straps at its edge.
    bool inOctagon = true;
    for (int k = 0; k < 8; ++k) {
        inOctagon = inOctagon && strands[k].g < -reach;
    }
    if (inOctagon) {
        Strand inner[9];
        int innerCount = 0;
        for (int k = 0; k < 8; ++k) {
            inner[innerCount++] = lineStrand(x, y, kPi / 8.0 + k * kPi / 4.0, 0.165);
        }
        inner[innerCount++] = circleStrand(x, y, 0.0, 0.0, 0.085);
        int innerParity = 0;
        for (int i = 0; i < innerCount; ++i) {
            innerParity ^= sideOf(inner[i]);
        }
        double value = 0.0;
        if (shadeStraps(inner, innerCount, innerParity, style, &value)) {
            return value;
        }
        double into = nearestReach(inner, innerCount) - reach;
        return innerParity ? echo(into, 0.042, 0.68, 0.24) : glow(into, 0.07, 0.55, 0.0);
    }
    int parity = 0;
    for (int i = 0; i < count; ++i) {
        parity ^= sideOf(strands[i]);
    }
    double value = 0.0;
    if (shadeStraps(strands, count, parity, style, &value)) {
        return value;
    }
    double into = nearestReach(strands, count) - style.halfWidth - style.rim;
    if (parity) {
        return echo(into, 0.042, 0.68, 0.24);
    }
    return glow(into, 0.07, 0.55, 0.0);
}

// Cell 1: twelve interlaced circles and two rings inside a guilloche border.
double circlesInRing(double x, double y) {
    double r = std::sqrt(x * x + y * y);
    if (r > 0.94) {
        return 0.0;
    }
    if (r > 0.91) {
        return 1.0;
    }
    if (r > 0.9) {
        return 0.0;
    }
    if (r > 0.835) {
        double theta = std::atan2(y, x);
        double best = 0.0;
        const double centre = 0.8675;
        const double amplitude = 0.024;
        const int waves = 20;
        for (int k = 0; k < 4; ++k) {
            double phase = waves * theta + 2.0 * kPi * k / 4.0;
            double curve = centre + amplitude * std::sin(phase);
            double slope = amplitude * waves * std::cos(phase) / r;
            double distance = std::fabs(r - curve) / std::sqrt(1.0 + slope * slope);
            if (distance < 0.006) {
                best = 1.0;
            }
        }
        return best;
    }
    if (r > 0.825) {
        return 0.0;
    }
    if (r > 0.81) {
        return 1.0;
    }
    if (r > 0.797) {
        return 0.0;
    }
    Strand strands[21];
    int count = 0;
    for (int k = 0; k < 6; ++k) {
        double a = k * kPi / 3.0 + kPi / 6.0;
        strands[count++] = circleStrand(x, y, 0.11 * std::cos(a), 0.11 * std::sin(a), 0.075);
    }
    for (int k = 0; k < 12; ++k) {
        double a = k * kPi / 6.0;
        strands[count++] = circleStrand(x, y, 0.47 * std::cos(a), 0.47 * std::sin(a), 0.285);
    }
    strands[count++] = circleStrand(x, y, 0.0, 0.0, 0.695);
    strands[count++] = circleStrand(x, y, 0.0, 0.0, 0.245);
    int parity = 0;
    for (int i = 0; i < count; ++i) {
        parity ^= sideOf(strands[i]);
    }
    const StrapStyle style{0.02, 0.008, 0.0045, 1.0};
    double value = 0.0;
    if (shadeStraps(strands, count, parity, style, &value)) {
        return value;
    }
    double into = nearestReach(strands, count) - style.halfWidth - style.rim;
    if (parity) {
        return echo(into, 0.036, 0.68, 0.24);
    }
    return glow(into, 0.065, 0.55, 0.0);
}

uint32_t mixBits(uint32_t v) {
    v ^= v >> 16;
    v *= 0x7feb352dU;
    v ^= v >> 15;
    v *= 0x846ca68bU;
    v ^= v >> 16;
    return v;
}

int truchetKind(int ti, int tj) {
    uint32_t h = mixBits(uint32_t(ti * 73 + tj * 9151 + 17)) % 10;
    return h < 4 ? 0 : (h < 8 ? 1 : 2);
}

// Distance from (lx, ly), relative to a tile's corner, to the centre lines of
// that tile's two strokes, each only as long as it runs inside the tile.
double truchetStrokeDistance(int kind, double s, double lx, double ly) {
    const double half = s / 2;
    if (kind == 2) {
        double vertical = std::hypot(lx - half, std::fmax(0.0, std::fmax(-ly, ly - s)));
        double horizontal = std::hypot(ly - half, std::fmax(0.0, std::fmax(-lx, lx - s)));
        return std::fmin(vertical, horizontal);
    }
    double best = 1e9;
    int ax = kind == 0 ? 0 : 1;
    const double centres[2][2] = {{ax * s, 0.0}, {(1 - ax) * s, s}};
    for (const double* c : {centres[0], centres[1]}) {
        double dx = lx - c[0];
        double dy = ly - c[1];
        // The quarter arc lies on the tile's side of both lines through its centre.
        bool within = (c[0] == 0.0 ? dx >= 0.0 : dx <= 0.0) && (c[1] == 0.0 ? dy >= 0.0 : dy <= 0.0);
        if (within) {
            best = std::fmin(best, std::fabs(std::hypot(dx, dy) - half));
        } else {
            double ex = c[0] == 0.0 ? half : s - half;
            double ey = c[1] == 0.0 ? half : s - half;
            best = std::fmin(best, std::hypot(lx - ex, ly - c[1]));
            best = std::fmin(best, std::hypot(lx - c[0], ly - ey));
        }
    }
    return best;
}

// Cell 2: a knotwork Truchet: quarter-circle tiles and crossings, the faces
// coloured like a chessboard by the lattice point that each belongs to.
double truchetKnot(double px, double py) {
    const double s = 512.0 / 6.0;
    int ti = int(std::floor(px / s));
    int tj = int(std::floor(py / s));
    double lx = px - ti * s;
    double ly = py - tj * s;
    int kind = truchetKind(ti, tj);
    const StrapStyle style{9.5, 3.2, 2.1, 1.0};
    Strand strands[2];
    int count = 0;
    int cornerX = 0;
    int cornerY = 0;
    if (kind == 2) {
        strands[count++] = Strand{lx - s / 2, 1.0, 0.0};
        strands[count++] = Strand{ly - s / 2, 0.0, 1.0};
        cornerX = lx > s / 2 ? 1 : 0;
        cornerY = ly > s / 2 ? 1 : 0;
    } else {
        // kind 0 curls round corners (0,0) and (1,1); kind 1 round (1,0) and (0,1).
        int ax = kind == 0 ? 0 : 1;
        strands[count++] = circleStrand(lx, ly, ax * s, 0.0, s / 2);
        strands[count++] = circleStrand(lx, ly, (1 - ax) * s, s, s / 2);
        if (strands[0].g < 0.0) {
            cornerX = ax;
            cornerY = 0;
        } else if (strands[1].g < 0.0) {
            cornerX = 1 - ax;
            cornerY = 1;
        } else {
            // The middle region holds the other two corners; the nearer one owns the point.
            int bx = 1 - ax;
            double d0 = std::hypot(lx - bx * s, ly);
            double d1 = std::hypot(lx - ax * s, ly - s);
            cornerX = d0 < d1 ? bx : ax;
            cornerY = d0 < d1 ? 0 : 1;
        }
    }
    int cornerParity = (ti + cornerX + tj + cornerY) & 1;
    int parity = ((ti + tj) & 1) ^ sideOf(strands[0]) ^ sideOf(strands[1]);
    double value = 0.0;
    if (kind == 2 ? shadeStraps(strands, count, parity, style, &value)
                  : shadeStraps(strands, count, 0, style, &value)) {
        return value;
    }
    double radius = std::hypot(lx - cornerX * s, ly - cornerY * s);
    if (cornerParity == 0) {
        return echo(radius, 10.0, 0.68, 0.24);
    }
    // The glow follows the nearest stroke, which may belong to a neighbour.
    double nearest = 1e9;
    for (int dj = -1; dj <= 1; ++dj) {
        for (int di = -1; di <= 1; ++di) {
            nearest = std::fmin(
                nearest, truchetStrokeDistance(truchetKind(ti + di, tj + dj), s, lx - di * s, ly - dj * s));
        }
    }
    return glow(nearest - style.halfWidth - style.rim, 16.0, 0.55, 0.0);
}

// Cell 3: three families of parallel straps woven into a kagome lattice,
// the hexagons filled with concentric echoes.
double kagomeWeave(double px, double py) {
    const double s = 80.0;
    const double offsets[3] = {17.0, 17.0 + 31.0 + s / 2, 31.0};
    Strand strands[6];
    int parity = 0;
    for (int f = 0; f < 3; ++f) {
        double angle = kPi / 2 + f * kPi / 3;
        double nx = std::cos(angle);
        double ny = std::sin(angle);
        double t = nx * px + ny * py - offsets[f];
        double k = std::floor(t / s);
        parity ^= int(int64_t(k) & 1);
        strands[2 * size_t(f)] = Strand{t - k * s, nx, ny};
        strands[2 * size_t(f) + 1] = Strand{t - (k + 1) * s, nx, ny};
    }
    const StrapStyle style{9.0, 3.2, 2.0, 1.0};
    double value = 0.0;
    if (shadeStraps(strands, 6, parity, style, &value)) {
        return value;
    }
    double into = nearestReach(strands, 6) - style.halfWidth - style.rim;
    if (!parity) {
        return echo(into, 9.0, 0.68, 0.24);
    }
    return glow(into, 9.0, 0.55, 0.0);
}

} // namespace

void paintAtlas(GreyImage& atlas) {
    const double half = kCellSize / 2.0;
    // The framed pictures use units of half a cell, y up, origin at the centre.
    paintSupersampled(atlas, 0, 0, kCellSize, kCellSize, [&](double px, double py) {
        return rosetteInSquare((px - half) / half, (half - py) / half);
    });
    paintSupersampled(atlas, kCellSize, 0, kCellSize, kCellSize, [&](double px, double py) {
        return circlesInRing((px - half) / half, (half - py) / half);
    });
    paintSupersampled(atlas, 0, kCellSize, kCellSize, kCellSize,
                      [&](double px, double py) { return truchetKnot(px, py); });
    paintSupersampled(atlas, kCellSize, kCellSize, kCellSize, kCellSize,
                      [&](double px, double py) { return kagomeWeave(px, py); });
}
