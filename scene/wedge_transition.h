// An animated change of wedge: the drawn angle glides from the angle on
// screen to the new table angle over two seconds, eased at both ends.
#pragma once
#include "scene/mirror_wedge.h"

// The smoothstep curve p^2 (3 - 2p) for a progress p in [0, 1], evaluated in
// the fixed order ((3 - (p + p)) p) p.
double smoothstep(double p);

struct WedgeTransition {
    bool active = false;
    float startAngle = 0.0f;  // degrees
    float targetAngle = 0.0f; // degrees: the angle of the new current wedge
    float startTime = 0.0f;   // seconds
    float duration = 0.0f;    // seconds; 2 whenever a transition starts or is re-aimed
    MirrorWedge blendWedge{}; // rebuilt every frame of a transition

    // Progress at `now`, limited to at most 1.
    double progress(float now) const;
    // The angle drawn at `now`.
    float easedAngle(float now) const;
};
