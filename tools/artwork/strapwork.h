// Interlaced bands ("strapwork"): curves drawn as white straps with a black
// rim, passing alternately over and under one another.
//
// The over/under choice needs no global bookkeeping. The faces between the
// curves can be coloured like a chessboard by the parity of the number of
// curves whose positive side a point lies on; an arrangement whose upper strap
// always has the dark face on its counter-clockwise side at a crossing
// alternates over, under, over along every strap. At a sample inside two
// straps this reduces to comparing the parity of all *other* curves with the
// sign of the cross product of the two curves' normals.
#pragma once

struct Strand {
    double g;      // signed distance to the curve's centre line
    double nx, ny; // unit normal (gradient of g) at the sample
};

struct StrapStyle {
    double halfWidth; // white strap, each side of the centre line
    double rim;       // black rim outside the strap, each side
    double lineHalf;  // black line along the strap's middle (0: none)
    double strapGrey; // opacity of the strap body
};

// The parity contribution of one curve at the sample: 1 on its positive side.
inline int sideOf(const Strand& s) {
    return s.g > 0.0 ? 1 : 0;
}

// Shade of the straps at a sample. `strands` are the curves near the sample,
// `parity` the parity over every curve of the design (near or not). Returns
// false when no strap or rim covers the sample: the face shows there.
bool shadeStraps(const Strand* strands, int count, int parity, const StrapStyle& style, double* value);

// The strap profile across one strap at distance |g| from its centre.
double strapProfile(double g, const StrapStyle& style);
