#include "scene/portable_math.h"

#include <cmath>

namespace {

// pi/2 split into three parts for an exact-enough argument reduction.
constexpr double kPiOver2High = 1.57079632673412561417e+00;
constexpr double kPiOver2Mid = 6.07710050630396597660e-11;
constexpr double kPiOver2Low = 2.02226624879595063154e-21;
constexpr double kTwoOverPi = 6.36619772367581382433e-01;

// Minimax polynomials on [-pi/4, pi/4].
double kernelSin(double x) {
    const double z = x * x;
    const double r = 8.33333333332248946124e-03 +
                     z * (-1.98412698298579493134e-04 +
                          z * (2.75573137070700676789e-06 +
                               z * (-2.50507602534068634195e-08 + z * 1.58969099521155010221e-10)));
    return x + (z * x) * (-1.66666666666666324348e-01 + z * r);
}

double kernelCos(double x) {
    const double z = x * x;
    const double r =
        z * (4.16666666666666019037e-02 +
             z * (-1.38888888888741095749e-03 +
                  z * (2.48015872894767294178e-05 +
                       z * (-2.75573143513906633035e-07 +
                            z * (2.08757232129817482790e-09 + z * -1.13596475577881948265e-11)))));
    const double half = 0.5 * z;
    const double w = 1.0 - half;
    return w + (((1.0 - w) - half) + z * r);
}

// Reduces x to y in [-pi/4, pi/4] and returns the quadrant (0 to 3).
int reduce(double x, double* y) {
    const double n = std::floor(x * kTwoOverPi + 0.5);
    *y = ((x - n * kPiOver2High) - n * kPiOver2Mid) - n * kPiOver2Low;
    const double quadrant = n - 4.0 * std::floor(n / 4.0);
    return static_cast<int>(quadrant);
}

} // namespace

double portableCos(double x) {
    double y = 0.0;
    switch (reduce(x, &y)) {
    case 0:
        return kernelCos(y);
    case 1:
        return -kernelSin(y);
    case 2:
        return -kernelCos(y);
    default:
        return kernelSin(y);
    }
}

double portableSin(double x) {
    double y = 0.0;
    switch (reduce(x, &y)) {
    case 0:
        return kernelSin(y);
    case 1:
        return kernelCos(y);
    case 2:
        return -kernelSin(y);
    default:
        return -kernelCos(y);
    }
}
