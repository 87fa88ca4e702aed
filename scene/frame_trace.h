// One text line per frame with the state that fixes the picture. Windows and
// Linux builds print the same lines for the same seed and clock, so the
// format is stable:
//
//   frame=N t=T sleep=MS wedge=ANGLE segments=N blend=0|1 zoom=Z spin=S sync=0|1 cell=C
//     [ s0 cell=C tinted=0|1 scale=S spin=S x=X y=Y z=Z rgb=R,G,B alpha=A ] ...s1 ...s2
//
// all on one line; floats are printed with %.9g, enough to give every
// single-precision value back exactly. `wedge` and `segments` are those of
// the wedge drawn in that frame, `blend` says it was a transition's in-between
// wedge.
#pragma once
#include <cstddef>
#include <cstdint>

struct KaleidoscopeScene;

// Formats the trace line of the scene's last frame (without a newline) into
// out; returns the length written.
size_t formatFrameTrace(const KaleidoscopeScene& scene, int64_t frame, char* out, size_t capacity);
