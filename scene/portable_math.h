// Cosine and sine computed the same way on every system.
//
// The C libraries of Windows and Linux round some results differently in the
// last bit, and the wedge chords, clip planes and logo colour feed the
// picture and the frame trace. These use only IEEE double arithmetic (no
// fused multiply-add, see the build flags), so the same argument gives the
// same bits everywhere, within one unit in the last place of the true value.
#pragma once

double portableCos(double x);
double portableSin(double x);
