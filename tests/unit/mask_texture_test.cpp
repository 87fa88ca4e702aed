// The two pictures the saver carries and the loader that turns JPEG bytes
// into mask textures: the committed files as the decoder meets them, the
// textures they become, and what damaged or foreign bytes do (nothing worse
// than a false and a line on stderr; the sanitizer build runs these too).
#include "platform/gl.h"
#include "platform/resource_bytes.h"
#include "tests/support/file_bytes.h"
#include "tests/support/gl_test_context.h"
#include "tests/support/jpeg_bytes.h"
#include "tiles/mask_texture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

Bytes embedded(const char* name) {
    ResourceBytes bytes{};
    return lookupResource(name, &bytes) ? Bytes(bytes.data, bytes.data + bytes.size) : Bytes{};
}

Bytes committed(const char* file) {
    return readFileBytes((std::string(ZELLIK_SOURCE_DIR) + "/resources/" + file).c_str());
}

long lines(const std::string& text) {
    return std::count(text.begin(), text.end(), '\n');
}

size_t markerAt(const Bytes& b, unsigned char marker) {
    for (size_t i = 0; i + 1 < b.size(); ++i)
        if (b[i] == 0xFF && b[i + 1] == marker)
            return i;
    return b.size();
}

// Decodes; on success the pixels stay until the test is done with them.
struct Decoded {
    MaskTexture texture{};
    bool ok;
    explicit Decoded(const Bytes& bytes)
        : ok(decodeMaskTexture(texture, bytes.data(), uint32_t(bytes.size()))) {}
    ~Decoded() { discardMaskPixels(texture); }
    double mean(int x0, int y0, int x1, int y1) const {
        double sum = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                sum += texture.pixels[size_t(y) * size_t(texture.width) + size_t(x)];
        return sum / (double(x1 - x0) * (y1 - y0));
    }
};

// Both images: one baseline greyscale JFIF 1.02 stream at 72 dpi, a restart
// marker after every row of 8 x 8 blocks (RST0 to RST7 in turn), EOI last;
// what the build embeds is exactly the committed file.
TEST(EmbeddedImages, StreamsAreBaselineGreyscaleWithARestartPerBlockRow) {
    const struct {
        const char *file, *name;
        int width, height;
    } images[] = {{"atlas.jpg", "JPEG_ZELLIK_MASK", 1024, 1024}, {"logo.jpg", "LOGO_MASK", 512, 32}};
    for (const auto& image : images) {
        SCOPED_TRACE(image.file);
        const Bytes b = committed(image.file);
        ASSERT_GT(b.size(), 1000u);
        EXPECT_TRUE(embedded(image.name) == b);
        const Bytes jfif = {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 2, 1, 0, 72, 0, 72};
        EXPECT_TRUE(std::equal(jfif.begin(), jfif.end(), b.begin()));
        const size_t sof = markerAt(b, 0xC0), dri = markerAt(b, 0xDD), sos = markerAt(b, 0xDA);
        ASSERT_LT(sos, b.size());
        const Bytes frame(b.begin() + long(sof) + 4, b.begin() + long(sof) + 10);
        EXPECT_EQ(frame, (Bytes{8, uint8_t(image.height >> 8), uint8_t(image.height),
                                uint8_t(image.width >> 8), uint8_t(image.width), 1}));
        EXPECT_EQ(b[dri + 4] << 8 | b[dri + 5], image.width / 8);
        int restarts = 0;
        for (size_t i = sos; i + 1 < b.size(); ++i)
            if (b[i] == 0xFF && b[i + 1] >= 0xD0 && b[i + 1] <= 0xD7) {
                EXPECT_EQ(b[i + 1] - 0xD0, restarts++ % 8);
            }
        EXPECT_EQ(restarts, image.height / 8 - 1);
        EXPECT_EQ(markerAt(b, 0xD9), b.size() - 2);
        for (const unsigned char other : {0xC1, 0xC2, 0xC3}) // no other kind of frame
            EXPECT_EQ(markerAt(b, other), b.size());
    }
}

// The atlas's four cells in their places: the top two (the first rows
// decoded) on black surrounds, the bottom two filling their squares; high
// contrast over the whole range. The logo: white lettering on black.
TEST(EmbeddedImages, AtlasCellsAndLogoLettering) {
    const Decoded atlas(committed("atlas.jpg"));
    ASSERT_TRUE(atlas.ok);
    ASSERT_EQ(atlas.texture.width, 1024);
    ASSERT_EQ(atlas.texture.height, 1024);
    for (const int left : {0, 512}) {
        EXPECT_LT(atlas.mean(left, 0, left + 512, 8), 40.0);         // top edge of a top cell
        EXPECT_LT(atlas.mean(left, 0, left + 8, 512), 40.0);         // its side
        EXPECT_GT(atlas.mean(left + 128, 128, left + 384, 384), 60); // its picture
        EXPECT_GT(atlas.mean(left, 512, left + 512, 520), 50.0);     // a bottom cell reaches its edge
    }
    const unsigned char* p = atlas.texture.pixels;
    const long n = 1024 * 1024;
    const double dark = double(std::count_if(p, p + n, [](int v) { return v < 32; })) / n;
    const double bright = double(std::count_if(p, p + n, [](int v) { return v > 223; })) / n;
    EXPECT_TRUE(dark > 0.15 && dark < 0.45 && bright > 0.08 && bright < 0.30) << dark << " " << bright;
    EXPECT_NEAR(atlas.mean(0, 0, 1024, 1024), 103, 33);

    const Decoded logo(committed("logo.jpg"));
    ASSERT_TRUE(logo.ok);
    EXPECT_LT(logo.mean(0, 0, 40, 32), 2.0);
    EXPECT_LT(logo.mean(0, 0, 512, 2), 16.0);
    EXPECT_LT(logo.mean(0, 30, 512, 32), 16.0);
    EXPECT_LT(logo.mean(509, 0, 512, 32), 16.0);
    EXPECT_TRUE(logo.mean(46, 3, 509, 29) > 60 && logo.mean(46, 3, 509, 29) < 200);
}

// Uploaded, a one-component image is an alpha-only texture with its full
// mipmap chain, trilinear and repeating, in the modulate environment; the
// last one loaded stays bound, and no pixel buffer is left behind.
TEST(MaskTexture, EmbeddedImagesBecomeAlphaTextures) {
    testContext();
    MaskTexture atlas{}, logo{};
    CaptureStderr();
    ASSERT_TRUE(loadMaskTexture(atlas, "JPEG_ZELLIK_MASK"));
    ASSERT_TRUE(loadMaskTexture(logo, "LOGO_MASK"));
    EXPECT_EQ(GetCapturedStderr(), "");
    GLint bound = 0, env = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
    EXPECT_EQ(GLuint(bound), logo.textureName);
    EXPECT_EQ(env, GL_MODULATE);
    const struct {
        MaskTexture& texture;
        int width, height, levels;
    } loaded[] = {{atlas, 1024, 1024, 11}, {logo, 512, 32, 10}};
    for (const auto& l : loaded) {
        EXPECT_EQ(l.texture.width, l.width);
        EXPECT_EQ(l.texture.height, l.height);
        EXPECT_EQ(l.texture.bitsPerPixel, 8);
        EXPECT_EQ(l.texture.pixels, nullptr);
        ASSERT_NE(l.texture.textureName, 0u);
        glBindTexture(GL_TEXTURE_2D, l.texture.textureName);
        GLint format = 0, last = 0, beyond = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, l.levels - 1, GL_TEXTURE_WIDTH, &last);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, l.levels, GL_TEXTURE_WIDTH, &beyond);
        EXPECT_TRUE(format == GL_ALPHA || format == GL_ALPHA8) << format;
        EXPECT_EQ(last, 1);
        EXPECT_EQ(beyond, 0);
        const GLenum parameters[4][2] = {{GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR},
                                         {GL_TEXTURE_MAG_FILTER, GL_LINEAR},
                                         {GL_TEXTURE_WRAP_S, GL_REPEAT},
                                         {GL_TEXTURE_WRAP_T, GL_REPEAT}};
        for (const auto& parameter : parameters) {
            GLint value = 0;
            glGetTexParameteriv(GL_TEXTURE_2D, parameter[0], &value);
            EXPECT_EQ(GLenum(value), parameter[1]) << parameter[0];
        }
    }
    glDeleteTextures(1, &atlas.textureName);
    glDeleteTextures(1, &logo.textureName);
}

// Any image uploads intact: the first decoded row first, colour as RGB, and
// rows that are not whole words (2 and 6 bytes) unsheared, with OpenGL's
// unpack alignment left as found.
TEST(MaskTexture, UploadsKeepEveryPixel) {
    testContext();
    const struct {
        int width, height, components;
        GLenum format;
    } cases[] = {{64, 64, 1, GL_ALPHA}, {16, 16, 3, GL_RGB}, {2, 8, 1, GL_ALPHA}, {2, 8, 3, GL_RGB}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "x" << c.components);
        const int bytes = c.width * c.height * c.components;
        const bool viaDecoder = c.width >= 16; // lossy: the top half white, the bottom black
        Bytes samples(size_t(bytes), 0);
        for (int i = 0; i < bytes; ++i)
            samples[size_t(i)] = uint8_t(viaDecoder ? (i < bytes / 2 ? 255 : 0) : i * 7 + 1);
        MaskTexture texture{static_cast<unsigned char*>(std::malloc(size_t(bytes))), c.components * 8,
                            c.width, c.height, 0};
        std::memcpy(texture.pixels, samples.data(), samples.size());
        if (viaDecoder) {
            discardMaskPixels(texture);
            const Bytes jpeg = encodeJpeg(c.width, c.height, c.components, samples);
            ASSERT_TRUE(decodeMaskTexture(texture, jpeg.data(), uint32_t(jpeg.size())));
            EXPECT_EQ(texture.bitsPerPixel, c.components * 8);
        }
        ASSERT_TRUE(uploadMaskTexture(texture));
        EXPECT_EQ(texture.pixels, nullptr);
        GLint format = 0, unpack = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack);
        EXPECT_TRUE(GLenum(format) == c.format || format == (c.format == GL_RGB ? GL_RGB8 : GL_ALPHA8));
        EXPECT_EQ(unpack, 4);
        Bytes back(size_t(bytes) + 16, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, c.format, GL_UNSIGNED_BYTE, back.data());
        back.resize(size_t(bytes));
        if (viaDecoder) {
            EXPECT_TRUE(back.front() > 240 && back.back() < 15)
                << int(back.front()) << " " << int(back.back());
        } else {
            EXPECT_EQ(back, samples);
        }
        glDeleteTextures(1, &texture.textureName);
    }
}

// Bytes the decoder cannot use: the load fails, says so in one line (a
// missing resource says nothing), and keeps nothing.
TEST(MaskTexture, BadBytesFailCleanly) {
    MaskTexture texture{};
    CaptureStderr();
    EXPECT_FALSE(loadMaskTexture(texture, "NO_SUCH_MASK"));
    EXPECT_FALSE(loadMaskTexture(texture, nullptr));
    EXPECT_EQ(GetCapturedStderr(), "");
    EXPECT_EQ(texture.textureName, 0u);
    EXPECT_EQ(texture.width, 0);

    const Bytes logo = embedded("LOGO_MASK");
    Bytes tables(logo.begin(), logo.begin() + long(markerAt(logo, 0xC0)));
    tables.insert(tables.end(), {0xFF, 0xD9});
    Bytes huge = encodeJpeg(8, 8, 1, Bytes(64, 7)); // its frame header rewritten to 60138 x 60138
    const size_t sof = markerAt(huge, 0xC0);
    std::fill(huge.begin() + long(sof) + 5, huge.begin() + long(sof) + 9, 0xEA);
    const std::string text = "GIF89a this is not a JPEG at all";
    for (const Bytes& bad : {Bytes(text.begin(), text.end()), tables, huge}) {
        MaskTexture t{};
        CaptureStderr();
        EXPECT_FALSE(decodeMaskTexture(t, bad.data(), uint32_t(bad.size())));
        EXPECT_EQ(lines(GetCapturedStderr()), 1);
        EXPECT_EQ(t.pixels, nullptr);
        EXPECT_EQ(t.textureName, 0u);
    }
    // The largest side accepted is the one named; a side beyond it is refused.
    Bytes limit = encodeJpeg(8, 8, 1, Bytes(64, 7));
    limit[markerAt(limit, 0xC0) + 7] = uint8_t(kMaxMaskSide >> 8);
    for (const int extra : {0, 1}) {
        limit[markerAt(limit, 0xC0) + 8] = uint8_t(kMaxMaskSide + extra);
        MaskTexture t{};
        CaptureStderr();
        const bool ok = decodeMaskTexture(t, limit.data(), uint32_t(limit.size()));
        const std::string said = GetCapturedStderr();
        EXPECT_EQ(ok, extra == 0) << said;
        EXPECT_EQ(said.find("larger than") == std::string::npos, extra == 0) << said;
        discardMaskPixels(t);
    }
}

// Truncated and bit-flipped streams: each copied into a buffer of exactly
// its length, so the sanitizer build catches a read past the end. The decode
// either ends early with a warning and a partly grey picture, or fails.
TEST(MaskTexture, DamagedStreamsStayInsideTheirBytes) {
    const Bytes logo = embedded("LOGO_MASK");
    ASSERT_GT(logo.size(), 1000u);
    uint32_t state = 12345;
    for (size_t trial = 0; trial < 900; ++trial) {
        Bytes bytes = logo;
        if (trial < 500) {
            bytes.resize(trial < 300 ? trial : 300 + (trial - 300) * (logo.size() - 300) / 200);
        } else {
            for (size_t flip = 0; flip < 1 + trial % 8; ++flip) {
                state = state * 1103515245u + 12345u;
                bytes[(state >> 8) % bytes.size()] ^= uint8_t(1u << ((state >> 4) % 8));
            }
        }
        MaskTexture texture{};
        CaptureStderr();
        const bool ok = decodeMaskTexture(texture, bytes.data(), uint32_t(bytes.size()));
        const std::string said = GetCapturedStderr();
        if (trial < 500) {
            EXPECT_GE(lines(said), 1) << bytes.size() << " bytes";
        }
        if (ok) {
            EXPECT_EQ(texture.width, 512);
        }
        discardMaskPixels(texture);
    }
}

} // namespace
