// zellik-artwork: paints the tile atlas and the logo strip and writes them as
// the JPEG files that the build embeds. The output depends on nothing but this
// code: no clock, no unseeded randomness, the exact integer DCT.
#include "tools/artwork/atlas_cells.h"
#include "tools/artwork/jpeg_output.h"
#include "tools/artwork/lettering.h"

#include <cstdio>
#include <cstring>

namespace {

// Above 90 the atlas grows fast for no visible gain on a mipmapped, tinted,
// translucent tile; below it the ringing shows along the straps. The strip is
// tiny, and its letters are nothing but hard edges, so it gets more.
constexpr int kAtlasQuality = 90;
constexpr int kLogoQuality = 96;

void printStatistics(const char* name, const GreyImage& image) {
    double sum = 0.0;
    size_t dark = 0;
    size_t bright = 0;
    for (uint8_t v : image.samples) {
        sum += v;
        dark += v < 32 ? 1 : 0;
        bright += v > 223 ? 1 : 0;
    }
    double n = double(image.samples.size());
    std::printf("%s: %dx%d mean %.1f, below 32: %.1f%%, above 223: %.1f%%\n", name, image.width, image.height,
                sum / n, 100.0 * dark / n, 100.0 * bright / n);
}

} // namespace

int main(int argc, char** argv) {
    const char* atlasPath = nullptr;
    const char* logoPath = nullptr;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--atlas") == 0) {
            atlasPath = argv[i + 1];
        } else if (std::strcmp(argv[i], "--logo") == 0) {
            logoPath = argv[i + 1];
        }
    }
    if (atlasPath == nullptr || logoPath == nullptr) {
        std::fprintf(stderr, "usage: zellik-artwork --atlas atlas.jpg --logo logo.jpg\n");
        return 2;
    }
    GreyImage atlas(2 * kCellSize, 2 * kCellSize);
    paintAtlas(atlas);
    printStatistics("atlas", atlas);
    GreyImage logo(kLogoWidth, kLogoHeight);
    paintLogo(logo);
    printStatistics("logo", logo);
    if (!writeGreyJpeg(atlas, atlasPath, kAtlasQuality) || !writeGreyJpeg(logo, logoPath, kLogoQuality)) {
        return 1;
    }
    return 0;
}
