// The embedded pictures, and the loader that makes mask textures of JPEG bytes.
#include "platform/gl.h"
#include "platform/resource_bytes.h"
#include "tests/support/file_bytes.h"
#include "tests/support/gl_test_context.h"
#include "tiles/mask_texture.h"
#include "tools/artwork/jpeg_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

using Bytes = std::vector<unsigned char>;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

Bytes embedded(const char* name) {
    ResourceBytes bytes{};
    return lookupResource(name, &bytes) ? Bytes(bytes.data, bytes.data + bytes.size) : Bytes{};
}

size_t markerAt(const Bytes& b, unsigned char marker) {
    for (size_t i = 0; i + 1 < b.size(); ++i)
        if (b[i] == 0xFF && b[i + 1] == marker)
            return i;
    return b.size();
}

// Decodes bytes, says how many lines the decoder wrote, lets go of the pixels.
struct Decoded {
    MaskTexture texture{};
    bool ok;
    long lines;
    std::string said;
    explicit Decoded(const Bytes& bytes) {
        CaptureStderr();
        ok = decodeMaskTexture(texture, bytes.data(), uint32_t(bytes.size()));
        said = GetCapturedStderr();
        lines = std::count(said.begin(), said.end(), '\n');
    }
    ~Decoded() { discardMaskPixels(texture); }
};

// The build embeds resources/ as they are: baseline greyscale, RST0 to RST7 in
// turn after every row of blocks (a damaged row costs only that row), decoded
// without a word. (What the pictures show, the reference pictures pin.)
TEST(EmbeddedImages, Streams) {
    const struct {
        const char *file, *name;
        int width, height;
    } images[] = {{"atlas.jpg", "JPEG_ZELLIK_MASK", 1024, 1024}, {"logo.jpg", "LOGO_MASK", 512, 32}};
    for (const auto& image : images) {
        const Bytes b = readFileBytes((std::string(ZELLIK_SOURCE_DIR) + "/resources/" + image.file).c_str());
        ASSERT_TRUE(b.size() > 1000 && embedded(image.name) == b) << image.file;
        const size_t sof = markerAt(b, 0xC0), sos = markerAt(b, 0xDA);
        ASSERT_TRUE(sof < sos && sos < b.size()) << "a baseline frame header before the scan";
        EXPECT_EQ(Bytes(b.begin() + long(sof) + 4, b.begin() + long(sof) + 10),
                  (Bytes{8, uint8_t(image.height >> 8), uint8_t(image.height), uint8_t(image.width >> 8),
                         uint8_t(image.width), 1}));
        int restarts = 0;
        for (size_t i = sos; i + 1 < b.size(); ++i)
            restarts += b[i] == 0xFF && b[i + 1] == 0xD0 + restarts % 8;
        EXPECT_EQ(restarts, image.height / 8 - 1) << image.file;
    }
    const Decoded atlas(embedded("JPEG_ZELLIK_MASK")), logo(embedded("LOGO_MASK"));
    ASSERT_TRUE(atlas.ok && logo.ok && atlas.lines == 0 && logo.lines == 0);
}

// An upload: alpha (one component) or RGB, full mipmap chain, trilinear,
// repeating, no pixel buffer kept, unpack alignment as found, pixels intact
// (first row first, 1- and 3-byte rows unsheared). (The embedded images'
// loads show in the reference pictures, and in the pass state a frame leaves.)
TEST(MaskTexture, UploadsAreWholeMipmappedTextures) {
    testContext();
    const struct {
        int width, height, components, levels;
        GLenum format;
    } cases[] = {
        {64, 64, 1, 7, GL_ALPHA}, {16, 16, 3, 5, GL_RGB}, {1, 8, 1, 4, GL_ALPHA}, {1, 8, 3, 4, GL_RGB}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "x" << c.components);
        const int bytes = c.width * c.height * c.components;
        const bool viaDecoder = c.width >= 16; // lossy: the top half white, the bottom black
        Bytes samples(size_t(bytes), 0);
        for (int i = 0; i < bytes; ++i)
            samples[size_t(i)] = uint8_t(viaDecoder ? (i < bytes / 2 ? 255 : 0) : i * 7 + 1);
        MaskTexture texture{nullptr, c.components * 8, c.width, c.height, 0};
        if (viaDecoder) {
            const Bytes jpeg = encodeJpeg(samples.data(), c.width, c.height, c.components, 100);
            ASSERT_TRUE(decodeMaskTexture(texture, jpeg.data(), uint32_t(jpeg.size())));
        } else {
            texture.pixels = static_cast<unsigned char*>(std::malloc(size_t(bytes)));
            std::memcpy(texture.pixels, samples.data(), samples.size());
        }
        ASSERT_TRUE(uploadMaskTexture(texture));
        EXPECT_TRUE(texture.width == c.width && texture.height == c.height &&
                    texture.bitsPerPixel == c.components * 8 && texture.pixels == nullptr &&
                    texture.textureName != 0);
        glBindTexture(GL_TEXTURE_2D, texture.textureName);
        GLint format = 0, last = 0, beyond = 0, unpack = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, c.levels - 1, GL_TEXTURE_WIDTH, &last);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, c.levels, GL_TEXTURE_WIDTH, &beyond);
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack);
        EXPECT_TRUE(GLenum(format) == c.format || format == (c.format == GL_RGB ? GL_RGB8 : GL_ALPHA8));
        EXPECT_TRUE(last == 1 && beyond == 0 && unpack == 4 && glGetError() == GL_NO_ERROR)
            << last << beyond << unpack;
        const GLenum parameters[4][2] = {{GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR},
                                         {GL_TEXTURE_MAG_FILTER, GL_LINEAR},
                                         {GL_TEXTURE_WRAP_S, GL_REPEAT},
                                         {GL_TEXTURE_WRAP_T, GL_REPEAT}};
        for (const auto& parameter : parameters) {
            GLint value = 0;
            glGetTexParameteriv(GL_TEXTURE_2D, parameter[0], &value);
            EXPECT_EQ(GLenum(value), parameter[1]) << parameter[0];
        }
        Bytes back(size_t(bytes) + 16, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, c.format, GL_UNSIGNED_BYTE, back.data());
        back.resize(size_t(bytes));
        EXPECT_TRUE(viaDecoder ? back.front() > 240 && back.back() < 15 : back == samples);
        glDeleteTextures(1, &texture.textureName);
    }
}

// Unusable bytes fail with one line on stderr (a missing resource silently)
// and keep nothing: not a JPEG, tables alone, a side beyond the largest.
// Truncated and bit-flipped streams, in buffers of exactly their length (the
// sanitizer build sees reads past the end), warn and end early, or fail.
TEST(MaskTexture, BadBytesFailCleanly) {
    MaskTexture texture{};
    CaptureStderr();
    EXPECT_FALSE(loadMaskTexture(texture, "NO_SUCH_MASK") || loadMaskTexture(texture, nullptr));
    EXPECT_EQ(GetCapturedStderr(), "");
    EXPECT_TRUE(texture.textureName == 0 && texture.width == 0);
    const Bytes logo = embedded("LOGO_MASK");
    Bytes tables(logo.begin(), logo.begin() + long(markerAt(logo, 0xC0)));
    tables.insert(tables.end(), {0xFF, 0xD9});
    const std::string text = "GIF89a this is not a JPEG at all";
    const Bytes grey(64, 7), small = encodeJpeg(grey.data(), 8, 8, 1, 100);
    Bytes sides[2] = {small, small};
    for (int extra = 0; extra < 2; ++extra) { // 8192 wide is the limit, 8193 beyond it
        const size_t width = markerAt(sides[extra], 0xC0) + 7;
        sides[extra][width] = uint8_t(kMaxMaskSide >> 8);
        sides[extra][width + 1] = uint8_t(kMaxMaskSide + extra);
    }
    for (const Bytes& bad : {Bytes(text.begin(), text.end()), tables, sides[1]}) {
        const Decoded d(bad);
        EXPECT_TRUE(!d.ok && d.lines == 1 && d.texture.pixels == nullptr && d.texture.textureName == 0);
    }
    const Decoded widest(sides[0]);
    EXPECT_TRUE(widest.ok && widest.texture.width == kMaxMaskSide);
    // Metadata segments (of 1 and of 100 bytes) are passed over without a word.
    Bytes tagged = small;
    const Bytes segments = {0xFF, 0xE1, 0, 3, 'x', 0xFF, 0xED, 0, 102};
    tagged.insert(tagged.begin() + 2, segments.begin(), segments.end());
    tagged.insert(tagged.begin() + 2 + long(segments.size()), 100, 'y');
    const Decoded withMetadata(tagged);
    EXPECT_TRUE(withMetadata.ok && withMetadata.lines == 0 && withMetadata.texture.width == 8);
    uint32_t state = 12345;
    for (size_t trial = 0; trial < 900; ++trial) {
        Bytes bytes = logo;
        if (trial < 500)
            bytes.resize(trial < 300 ? trial : 300 + (trial - 300) * (logo.size() - 300) / 200);
        for (size_t flip = 0; trial >= 500 && flip < 1 + trial % 8; ++flip) {
            state = state * 1103515245u + 12345u;
            bytes[(state >> 8) % bytes.size()] ^= uint8_t(1u << ((state >> 4) % 8));
        }
        const Decoded d(bytes);
        EXPECT_TRUE(trial >= 500 || d.said.find("Premature end of JPEG file") != std::string::npos)
            << bytes.size();
        EXPECT_TRUE(!d.ok || d.texture.width == 512);
    }
}

} // namespace
