// The mask loader: the embedded images, the textures they become, and what
// damaged, truncated or foreign bytes do (nothing worse than a false and a
// line on stderr; the AddressSanitizer build runs these too).
#include "platform/gl.h"
#include "platform/resource_bytes.h"
#include "tests/support/gl_test_context.h"
#include "tests/support/jpeg_bytes.h"
#include "tiles/mask_texture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

int lineCount(const std::string& text) {
    int lines = 0;
    for (const char c : text)
        lines += c == '\n' ? 1 : 0;
    return lines;
}

std::vector<unsigned char> embedded(const char* name) {
    ResourceBytes bytes{};
    if (!lookupResource(name, &bytes))
        return {};
    return std::vector<unsigned char>(bytes.data, bytes.data + bytes.size);
}

GLint boundInternalFormat() {
    GLint format = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    return format;
}

bool isAlphaFormat(GLint format) {
    return format == GL_ALPHA || format == GL_ALPHA8;
}

TEST(MaskTexture, EmbeddedImagesBecomeAlphaTextures) {
    testContext();
    MaskTexture atlas{}, logo{};
    CaptureStderr();
    ASSERT_TRUE(loadMaskTexture(atlas, "JPEG_ZELLIK_MASK"));
    ASSERT_TRUE(loadMaskTexture(logo, "LOGO_MASK"));
    EXPECT_EQ(GetCapturedStderr(), ""); // no warning from either image
    EXPECT_EQ(atlas.width, 1024);
    EXPECT_EQ(atlas.height, 1024);
    EXPECT_EQ(atlas.bitsPerPixel, 8);
    EXPECT_EQ(logo.width, 512);
    EXPECT_EQ(logo.height, 32);
    EXPECT_EQ(logo.bitsPerPixel, 8);
    EXPECT_EQ(atlas.pixels, nullptr);
    EXPECT_EQ(logo.pixels, nullptr);
    EXPECT_NE(atlas.textureName, 0u);
    EXPECT_NE(logo.textureName, atlas.textureName);

    // The logo, loaded last, stays bound, with the modulate environment.
    GLint bound = 0, env = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
    EXPECT_EQ(static_cast<GLuint>(bound), logo.textureName);
    EXPECT_EQ(env, GL_MODULATE);
    EXPECT_TRUE(isAlphaFormat(boundInternalFormat()));
    GLint minFilter = 0, wrap = 0, smallest = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(wrap, GL_REPEAT);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 9, GL_TEXTURE_WIDTH, &smallest); // 512 >> 9: the full chain
    EXPECT_EQ(smallest, 1);
    glBindTexture(GL_TEXTURE_2D, atlas.textureName);
    EXPECT_TRUE(isAlphaFormat(boundInternalFormat()));
    glDeleteTextures(1, &atlas.textureName);
    glDeleteTextures(1, &logo.textureName);
}

TEST(MaskTexture, TopRowOfTheImageIsTheFirstRowOfPixels) {
    std::vector<unsigned char> samples(64 * 64, 0);
    for (int x = 0; x < 64 * 8; ++x)
        samples[x] = 255; // the top eight rows white
    const std::vector<unsigned char> jpeg = encodeJpeg(64, 64, 1, samples);
    MaskTexture texture{};
    ASSERT_TRUE(decodeMaskTexture(texture, jpeg.data(), static_cast<uint32_t>(jpeg.size())));
    EXPECT_GT(texture.pixels[0], 240);
    EXPECT_LT(texture.pixels[63 * 64], 15);
    discardMaskPixels(texture);
}

TEST(MaskTexture, ColourImagesBecomeRgbTextures) {
    testContext();
    std::vector<unsigned char> samples(16 * 16 * 3, 128);
    const std::vector<unsigned char> jpeg = encodeJpeg(16, 16, 3, samples);
    MaskTexture texture{};
    ASSERT_TRUE(decodeMaskTexture(texture, jpeg.data(), static_cast<uint32_t>(jpeg.size())));
    EXPECT_EQ(texture.bitsPerPixel, 24);
    ASSERT_TRUE(uploadMaskTexture(texture));
    const GLint format = boundInternalFormat();
    EXPECT_TRUE(format == GL_RGB || format == GL_RGB8) << format;
    glDeleteTextures(1, &texture.textureName);
}

TEST(MaskTexture, RowsThatAreNotWholeWordsUploadIntact) {
    testContext();
    // Rows of 2 and 6 bytes: not multiples of 4, so the default unpack
    // alignment would shear the picture. Power-of-two sizes keep the
    // mipmap builder from rescaling level 0.
    struct Case {
        int32_t bitsPerPixel;
        GLenum format;
    };
    for (const Case c : {Case{8, GL_ALPHA}, Case{24, GL_RGB}}) {
        const int32_t width = 2, height = 8, bytes = width * (c.bitsPerPixel / 8) * height;
        MaskTexture texture{};
        texture.width = width;
        texture.height = height;
        texture.bitsPerPixel = c.bitsPerPixel;
        texture.pixels = static_cast<unsigned char*>(std::malloc(bytes));
        std::vector<unsigned char> samples(bytes);
        for (int32_t i = 0; i < bytes; ++i)
            samples[i] = static_cast<unsigned char>(i * 7 + 1);
        std::memcpy(texture.pixels, samples.data(), samples.size());
        ASSERT_TRUE(uploadMaskTexture(texture));
        EXPECT_EQ(texture.pixels, nullptr);
        std::vector<unsigned char> back(bytes + 16, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, c.format, GL_UNSIGNED_BYTE, back.data());
        back.resize(bytes);
        EXPECT_EQ(back, samples) << c.bitsPerPixel;
        GLint unpack = 0;
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack);
        EXPECT_EQ(unpack, 4);
        glDeleteTextures(1, &texture.textureName);
    }
}

TEST(MaskTexture, AMissingResourceFailsSilently) {
    MaskTexture texture{};
    CaptureStderr();
    EXPECT_FALSE(loadMaskTexture(texture, "NO_SUCH_MASK"));
    EXPECT_FALSE(loadMaskTexture(texture, nullptr));
    EXPECT_EQ(GetCapturedStderr(), "");
    EXPECT_EQ(texture.textureName, 0u);
    EXPECT_EQ(texture.width, 0);
    EXPECT_EQ(texture.height, 0);
    EXPECT_EQ(texture.pixels, nullptr);
}

TEST(MaskTexture, BytesThatAreNotAJpegGiveOneLine) {
    const unsigned char text[] = "GIF89a this is not a JPEG at all";
    MaskTexture texture{};
    CaptureStderr();
    EXPECT_FALSE(decodeMaskTexture(texture, text, sizeof text));
    EXPECT_EQ(lineCount(GetCapturedStderr()), 1);
    EXPECT_EQ(texture.pixels, nullptr);
    EXPECT_EQ(texture.textureName, 0u);
}

TEST(MaskTexture, TablesWithoutAnImageFail) {
    const std::vector<unsigned char> jpeg = embedded("LOGO_MASK");
    ASSERT_FALSE(jpeg.empty());
    // Everything up to the frame header, then the end-of-image marker.
    std::vector<unsigned char> tables;
    for (size_t i = 0; i + 1 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            tables.assign(jpeg.begin(), jpeg.begin() + static_cast<long>(i));
            break;
        }
    }
    ASSERT_FALSE(tables.empty());
    tables.push_back(0xFF);
    tables.push_back(0xD9);
    MaskTexture texture{};
    CaptureStderr();
    EXPECT_FALSE(decodeMaskTexture(texture, tables.data(), static_cast<uint32_t>(tables.size())));
    EXPECT_EQ(lineCount(GetCapturedStderr()), 1);
}

TEST(MaskTexture, AnImageTooLargeIsRefusedBeforeAllocating) {
    std::vector<unsigned char> jpeg = encodeJpeg(8, 8, 1, std::vector<unsigned char>(64, 7));
    // Rewrite the frame header's height and width to 60000 x 60000.
    bool patched = false;
    for (size_t i = 0; i + 8 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            jpeg[i + 5] = 0xEA;
            jpeg[i + 6] = 0x60;
            jpeg[i + 7] = 0xEA;
            jpeg[i + 8] = 0x60;
            patched = true;
            break;
        }
    }
    ASSERT_TRUE(patched);
    MaskTexture texture{};
    CaptureStderr();
    EXPECT_FALSE(decodeMaskTexture(texture, jpeg.data(), static_cast<uint32_t>(jpeg.size())));
    EXPECT_EQ(lineCount(GetCapturedStderr()), 1);
    EXPECT_EQ(texture.pixels, nullptr);
}

TEST(MaskTexture, TruncatedStreamsStayInsideTheirBytes) {
    const std::vector<unsigned char> logo = embedded("LOGO_MASK");
    ASSERT_GT(logo.size(), 100u);
    // Each prefix is copied into a buffer of exactly its length, so a read
    // past the end is caught by the AddressSanitizer build.
    for (size_t length = 0; length < logo.size(); length += (length < 700 ? 1 : 37)) {
        std::vector<unsigned char> prefix(logo.begin(), logo.begin() + static_cast<long>(length));
        MaskTexture texture{};
        CaptureStderr();
        const bool ok = decodeMaskTexture(texture, prefix.data(), static_cast<uint32_t>(prefix.size()));
        const std::string messages = GetCapturedStderr();
        // Either the decode ends early with a warning and a partly grey
        // picture, or it fails; both say so on stderr.
        EXPECT_GE(lineCount(messages), 1) << length;
        if (ok) {
            EXPECT_EQ(texture.width, 512);
            discardMaskPixels(texture);
        }
        EXPECT_EQ(texture.pixels, nullptr);
    }
}

TEST(MaskTexture, CorruptedStreamsNeverCrash) {
    const std::vector<unsigned char> logo = embedded("LOGO_MASK");
    ASSERT_FALSE(logo.empty());
    uint32_t state = 12345;
    for (int trial = 0; trial < 400; ++trial) {
        std::vector<unsigned char> bytes = logo;
        for (int flip = 0; flip < 1 + trial % 8; ++flip) {
            state = state * 1103515245u + 12345u;
            const size_t at = (state >> 8) % bytes.size();
            bytes[at] = static_cast<unsigned char>(bytes[at] ^ (1u << ((state >> 4) % 8)));
        }
        MaskTexture texture{};
        CaptureStderr();
        if (decodeMaskTexture(texture, bytes.data(), static_cast<uint32_t>(bytes.size())))
            discardMaskPixels(texture);
        GetCapturedStderr();
        EXPECT_EQ(texture.pixels, nullptr);
    }
}

} // namespace
