// The two pictures the saver carries: the committed files under resources/,
// checked as the loader and the texture code will meet them (one greyscale
// component, baseline, a restart marker per row of blocks, the atlas's four
// cells in their places), and the embedded copies that the build makes of them.
#include "platform/resource_bytes.h"
#include "tests/support/file_bytes.h"
#include "tiles/mask_texture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> committed(const char* file) {
    return readFileBytes((std::string(ZELLIK_SOURCE_DIR) + "/resources/" + file).c_str());
}

std::vector<unsigned char> embedded(const char* name) {
    ResourceBytes bytes{};
    if (!lookupResource(name, &bytes))
        return {};
    return std::vector<unsigned char>(bytes.data, bytes.data + bytes.size);
}

// What a walk over the stream's markers finds.
struct JpegLayout {
    bool startsWithSoi = false;
    bool jfif = false;
    int jfifMajor = 0, jfifMinor = 0, densityUnit = -1, xDensity = 0, yDensity = 0;
    int frameMarkers = 0;  // SOFn of any kind
    bool baseline = false; // the one frame is SOF0
    int precision = 0, lines = 0, samplesPerLine = 0, components = 0;
    int restartInterval = -1; // -1: no DRI
    int scans = 0;
    int restartMarkers = 0;
    bool restartsInOrder = true; // RST0..RST7, repeating
    bool endsWithEoi = false;    // EOI is the last marker and the last two bytes
    bool wellFormed = true;
};

int be16(const std::vector<unsigned char>& b, size_t at) {
    return (b[at] << 8) | b[at + 1];
}

JpegLayout readLayout(const std::vector<unsigned char>& b) {
    JpegLayout layout;
    if (b.size() < 4 || b[0] != 0xFF || b[1] != 0xD8) {
        layout.wellFormed = false;
        return layout;
    }
    layout.startsWithSoi = true;
    size_t at = 2;
    while (at + 2 <= b.size()) {
        if (b[at] != 0xFF) {
            layout.wellFormed = false;
            return layout;
        }
        const int marker = b[at + 1];
        if (marker == 0xD9) {
            layout.endsWithEoi = at + 2 == b.size();
            return layout;
        }
        if (at + 4 > b.size()) {
            break;
        }
        const int length = be16(b, at + 2);
        const size_t body = at + 4;
        if (length < 2 || at + 2 + size_t(length) > b.size()) {
            layout.wellFormed = false;
            return layout;
        }
        if (marker == 0xE0 && length >= 16 &&
            std::string(b.begin() + long(body), b.begin() + long(body) + 5) == std::string("JFIF\0", 5)) {
            layout.jfif = true;
            layout.jfifMajor = b[body + 5];
            layout.jfifMinor = b[body + 6];
            layout.densityUnit = b[body + 7];
            layout.xDensity = be16(b, body + 8);
            layout.yDensity = be16(b, body + 10);
        } else if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            ++layout.frameMarkers;
            layout.baseline = marker == 0xC0;
            layout.precision = b[body];
            layout.lines = be16(b, body + 1);
            layout.samplesPerLine = be16(b, body + 3);
            layout.components = b[body + 5];
        } else if (marker == 0xDD) {
            layout.restartInterval = be16(b, body);
        }
        at += 2 + size_t(length);
        if (marker == 0xDA) {
            ++layout.scans;
            // Entropy-coded data: FF00 is a stuffed byte, FFD0..FFD7 restarts;
            // anything else ends the scan.
            int expected = 0;
            while (at + 1 < b.size()) {
                if (b[at] != 0xFF || b[at + 1] == 0x00) {
                    ++at;
                    continue;
                }
                const int next = b[at + 1];
                if (next >= 0xD0 && next <= 0xD7) {
                    layout.restartsInOrder = layout.restartsInOrder && next - 0xD0 == expected;
                    expected = (expected + 1) % 8;
                    ++layout.restartMarkers;
                    at += 2;
                    continue;
                }
                break;
            }
        }
    }
    layout.wellFormed = false;
    return layout;
}

struct Decoded {
    MaskTexture texture{};
    bool ok = false;
    Decoded(const std::vector<unsigned char>& bytes) {
        ok = !bytes.empty() && decodeMaskTexture(texture, bytes.data(), uint32_t(bytes.size()));
    }
    ~Decoded() { discardMaskPixels(texture); }
    int at(int x, int y) const { return texture.pixels[size_t(y) * size_t(texture.width) + size_t(x)]; }
    // Mean over the rectangle [x0, x1) x [y0, y1).
    double mean(int x0, int y0, int x1, int y1) const {
        double sum = 0.0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                sum += at(x, y);
        return sum / (double(x1 - x0) * double(y1 - y0));
    }
    int maximum(int x0, int y0, int x1, int y1) const {
        int best = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                best = std::max(best, at(x, y));
        return best;
    }
    // Mean of the band `width` pixels wide just inside the square's edges.
    double borderMean(int x0, int y0, int side, int width) const {
        double sum = mean(x0, y0, x0 + side, y0 + width) + mean(x0, y0 + side - width, x0 + side, y0 + side);
        double sides = mean(x0, y0 + width, x0 + width, y0 + side - width) +
                       mean(x0 + side - width, y0 + width, x0 + side, y0 + side - width);
        // The four strips weighted by their areas.
        double top = double(side) * width;
        double left = double(side - 2 * width) * width;
        return (sum * top + sides * left) / (2 * top + 2 * left);
    }
};

void expectStreamLayout(const std::vector<unsigned char>& bytes, int width, int height) {
    ASSERT_FALSE(bytes.empty());
    const JpegLayout layout = readLayout(bytes);
    EXPECT_TRUE(layout.wellFormed);
    EXPECT_TRUE(layout.startsWithSoi);
    EXPECT_TRUE(layout.jfif);
    EXPECT_EQ(layout.jfifMajor, 1);
    EXPECT_EQ(layout.jfifMinor, 2);
    EXPECT_EQ(layout.densityUnit, 1);
    EXPECT_EQ(layout.xDensity, 72);
    EXPECT_EQ(layout.yDensity, 72);
    EXPECT_EQ(layout.frameMarkers, 1);
    EXPECT_TRUE(layout.baseline);
    EXPECT_EQ(layout.precision, 8);
    EXPECT_EQ(layout.samplesPerLine, width);
    EXPECT_EQ(layout.lines, height);
    EXPECT_EQ(layout.components, 1);
    EXPECT_EQ(layout.restartInterval, width / 8); // one row of 8 x 8 blocks
    EXPECT_EQ(layout.scans, 1);
    EXPECT_EQ(layout.restartMarkers, height / 8 - 1); // between rows, none after the last
    EXPECT_TRUE(layout.restartsInOrder);
    EXPECT_TRUE(layout.endsWithEoi);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[bytes.size() - 2], 0xFF);
    EXPECT_EQ(bytes[bytes.size() - 1], 0xD9);
}

TEST(EmbeddedImages, CommittedFilesAreBaselineGreyscaleWithARestartPerBlockRow) {
    {
        SCOPED_TRACE("atlas");
        expectStreamLayout(committed("atlas.jpg"), 1024, 1024);
    }
    {
        SCOPED_TRACE("logo");
        expectStreamLayout(committed("logo.jpg"), 512, 32);
    }
}

TEST(EmbeddedImages, AtlasDecodesToFourCellsInTheirPlaces) {
    const Decoded atlas(committed("atlas.jpg"));
    ASSERT_TRUE(atlas.ok);
    ASSERT_EQ(atlas.texture.width, 1024);
    ASSERT_EQ(atlas.texture.height, 1024);
    ASSERT_EQ(atlas.texture.bitsPerPixel, 8);

    // Cells 0 and 1 (the top half, first rows decoded) sit on black surrounds;
    // cells 2 and 3 fill their squares to the edges.
    EXPECT_LT(atlas.borderMean(0, 0, 512, 8), 40.0);
    EXPECT_LT(atlas.borderMean(512, 0, 512, 8), 40.0);
    EXPECT_GT(atlas.borderMean(0, 512, 512, 8), 50.0);
    EXPECT_GT(atlas.borderMean(512, 512, 512, 8), 50.0);
    // The framed pictures do have something inside their surrounds.
    EXPECT_GT(atlas.mean(128, 128, 384, 384), 60.0);
    EXPECT_GT(atlas.mean(512 + 128, 128, 512 + 384, 384), 60.0);

    // High contrast over the whole range: clear and opaque samples both
    // occur, and neither swamps the picture.
    size_t clear = 0, opaque = 0, dark = 0, bright = 0;
    double sum = 0.0;
    for (int y = 0; y < 1024; ++y) {
        for (int x = 0; x < 1024; ++x) {
            const int v = atlas.at(x, y);
            clear += v <= 15 ? 1 : 0;
            opaque += v >= 240 ? 1 : 0;
            dark += v < 32 ? 1 : 0;
            bright += v > 223 ? 1 : 0;
            sum += v;
        }
    }
    const double n = 1024.0 * 1024.0;
    EXPECT_GT(clear, 0u);
    EXPECT_GT(opaque, 0u);
    EXPECT_GT(sum / n, 70.0);
    EXPECT_LT(sum / n, 140.0);
    EXPECT_GT(dark / n, 0.15);
    EXPECT_LT(dark / n, 0.45);
    EXPECT_GT(bright / n, 0.08);
    EXPECT_LT(bright / n, 0.30);
}

TEST(EmbeddedImages, LogoIsLetteringOnBlack) {
    const Decoded logo(committed("logo.jpg"));
    ASSERT_TRUE(logo.ok);
    ASSERT_EQ(logo.texture.width, 512);
    ASSERT_EQ(logo.texture.height, 32);
    ASSERT_EQ(logo.texture.bitsPerPixel, 8);

    // Left of the lettering, in blocks that hold no stroke, the strip is black
    // (a few levels of coding noise at most); the narrow margins that share
    // blocks with strokes stay dark on average.
    EXPECT_LE(logo.maximum(0, 0, 40, 32), 8);
    EXPECT_LT(logo.mean(40, 0, 46, 32), 16.0);
    EXPECT_LT(logo.mean(509, 0, 512, 32), 16.0);
    EXPECT_LT(logo.mean(0, 0, 512, 2), 16.0);
    EXPECT_LT(logo.mean(0, 30, 512, 32), 16.0);
    // The lettering itself is white and takes a good part of its band.
    EXPECT_GE(logo.maximum(46, 3, 509, 29), 240);
    const double lit = logo.mean(46, 3, 509, 29);
    EXPECT_GT(lit, 60.0);
    EXPECT_LT(lit, 200.0);
}

TEST(EmbeddedImages, EmbeddedCopiesAreTheCommittedFiles) {
    const std::vector<unsigned char> atlas = committed("atlas.jpg");
    const std::vector<unsigned char> logo = committed("logo.jpg");
    ASSERT_FALSE(atlas.empty());
    ASSERT_FALSE(logo.empty());
    EXPECT_TRUE(embedded("JPEG_ZELLIK_MASK") == atlas);
    EXPECT_TRUE(embedded("LOGO_MASK") == logo);
}

} // namespace
