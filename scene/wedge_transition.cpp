#include "scene/wedge_transition.h"

double smoothstep(double p) {
    return ((3.0 - (p + p)) * p) * p;
}

double WedgeTransition::progress(float now) const {
    const double p = (static_cast<double>(now) - startTime) / duration;
    return p < 1.0 ? p : 1.0;
}

float WedgeTransition::easedAngle(float now) const {
    const double s = smoothstep(progress(now));
    return static_cast<float>(startAngle + s * (static_cast<double>(targetAngle) - startAngle));
}
