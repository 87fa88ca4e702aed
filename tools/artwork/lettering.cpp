#include "tools/artwork/lettering.h"

#include <algorithm>
#include <iterator>
#include <cmath>

namespace {

// Letter geometry in pixels. The strip is shown at a tenth of full opacity in
// a corner of the screen, so the strokes are bold and the letters spaced wide
// to stay legible once mipmapped.
constexpr double kTop = 3.0;     // first lit row
constexpr double kHeight = 26.0; // rows 3 to 28
constexpr double kStem = 12.0;   // vertical stroke width
constexpr double kBar = 6.0;     // horizontal stroke height
constexpr double kSlant = 22.0;  // horizontal width of a diagonal stroke

enum class Glyph { Z, E, L, I, K };

struct Letter {
    Glyph glyph;
    double left;
    double width;
};

bool inside(double x, double y, double x0, double y0, double x1, double y1) {
    return x >= x0 && x < x1 && y >= y0 && y < y1;
}

// A diagonal stroke whose centre runs from (xa, ya) to (xb, yb), measured
// horizontally, so that it meets the bars with clean vertical-free joins.
bool onDiagonal(double x, double y, double xa, double ya, double xb, double yb) {
    if (y < std::fmin(ya, yb) || y >= std::fmax(ya, yb)) {
        return false;
    }
    double centre = xa + (xb - xa) * (y - ya) / (yb - ya);
    return std::fabs(x - centre) < kSlant / 2;
}

// (x, y) relative to the letter's top-left corner.
bool covers(Glyph glyph, double w, double x, double y) {
    const double h = kHeight;
    if (x < 0.0 || x >= w || y < 0.0 || y >= h) {
        return false;
    }
    switch (glyph) {
    case Glyph::Z:
        return inside(x, y, 0, 0, w, kBar) || inside(x, y, 0, h - kBar, w, h) ||
               onDiagonal(x, y, w - kSlant / 2, 0, kSlant / 2, h);
    case Glyph::E:
        return inside(x, y, 0, 0, kStem, h) || inside(x, y, 0, 0, w, kBar) ||
               inside(x, y, 0, h - kBar, w, h) || inside(x, y, 0, (h - kBar) / 2, w * 0.86, (h + kBar) / 2);
    case Glyph::L:
        return inside(x, y, 0, 0, kStem, h) || inside(x, y, 0, h - kBar, w, h);
    case Glyph::I:
        return inside(x, y, 0, 0, w, h);
    case Glyph::K:
        return inside(x, y, 0, 0, kStem, h) || onDiagonal(x, y, kStem, h * 0.5, w - kSlant / 2, 0) ||
               onDiagonal(x, y, kStem + kSlant * 0.9, h * 0.38, w - kSlant / 2, h);
    }
    return false;
}

} // namespace

void paintLogo(GreyImage& logo) {
    // Six letters spread over columns 46 to 508.
    const Letter letters[] = {
        {Glyph::Z, 46.0, 68.0},  {Glyph::E, 142.0, 62.0}, {Glyph::L, 232.0, 58.0},
        {Glyph::L, 318.0, 58.0}, {Glyph::I, 403.0, 13.0}, {Glyph::K, 443.0, 66.0},
    };
    paintSupersampled(logo, 0, 0, kLogoWidth, kLogoHeight, [&](double px, double py) {
        return std::any_of(std::begin(letters), std::end(letters),
                           [&](const Letter& l) { return covers(l.glyph, l.width, px - l.left, py - kTop); })
                   ? 1.0
                   : 0.0;
    });
}
