// How the tests look at a drawn picture, wherever it comes from: a headless
// frame read back from OpenGL, or a screenshot of a real saver (Wine, X11,
// Wayland) passed in as a PNG file. A picture is judged as a person sees it
// from a little distance: brightness blurred over 9 x 9 pixels, so that the
// masks' hairlines and the rasteriser's edge pixels do not count.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct Picture {
    int32_t width = 0, height = 0;
    std::vector<unsigned char> rgba; // rows top first

    const unsigned char* at(int32_t x, int32_t y) const {
        return &rgba[(size_t(y) * size_t(width) + size_t(x)) * 4];
    }
    // The rectangle w x h at (x, y), clipped to the picture.
    Picture crop(int32_t x, int32_t y, int32_t w, int32_t h) const;
};

// False when the file is not a PNG that can be read.
bool readPng(const char* path, Picture* picture);

struct Difference {
    double mean;     // mean absolute difference of blurred brightness, 0 to 255
    double bigShare; // share of compared pixels that differ by more than 24
};

// Compares the central disc (radius 0.42 of the shorter side: inside the
// pattern's reach, clear of the logo in the corner) with its image under a
// turn by `degrees` about the centre, reflected about the vertical centre
// line first when `reflect`.
Difference symmetryDifference(const Picture& picture, double degrees, bool reflect);

struct Measures {
    double lit;    // mean brightness of the central disc, 0 to 255
    double black;  // share of pixels that are pure black
    double mirror; // mean reflection difference relative to lit (0: exactly symmetric)
    // How much detail the odd columns have of their own beside the even ones
    // (the weaker parity over the stronger): near 1 drawn at the real pixel
    // size, near 0 scaled up twice from half the size (each second column
    // then repeats or averages its neighbours).
    double columnDetail;
};
Measures measurePicture(const Picture& picture);

// The verdicts the end-to-end tests ask for:
//   kaleidoscope  lit, on black, mirror-symmetric about the vertical centre line
//   plain         lit, on black, clearly not symmetric (mirrors off)
//   sharp         a kaleidoscope drawn at the picture's own pixel size
//   black         nothing drawn
// True when the picture is what was expected; why says what was measured.
bool judgePicture(const Picture& picture, const std::string& expected, std::string* why);
