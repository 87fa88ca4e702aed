// zellik-icons: draws the saver's icon, a grey computer monitor with a black
// screen and a small green power light, and writes it as a Windows .ico file
// with two 16-colour images, 32 x 32 and 16 x 16.
//
//   zellik-icons OUTPUT.ico
//
// The images are 4 bits per pixel in the standard 16-colour palette with an
// AND mask for transparency, the form every Windows version shows, so the
// picture is drawn with palette indices and no blending.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Palette indices of the standard 16 colours that the icon uses.
enum Colour : uint8_t { kBlack = 0, kSilver = 7, kGrey = 8, kLime = 10, kWhite = 15 };

// The standard palette, as the Windows display drivers define it: dark
// colours 0 to 6, light grey 7, dark grey 8, bright colours 9 to 15.
const uint8_t kPalette[16][3] = {
    {0x00, 0x00, 0x00}, {0x80, 0x00, 0x00}, {0x00, 0x80, 0x00}, {0x80, 0x80, 0x00},
    {0x00, 0x00, 0x80}, {0x80, 0x00, 0x80}, {0x00, 0x80, 0x80}, {0xC0, 0xC0, 0xC0},
    {0x80, 0x80, 0x80}, {0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00}, {0xFF, 0xFF, 0x00},
    {0x00, 0x00, 0xFF}, {0xFF, 0x00, 0xFF}, {0x00, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF}};

struct IconImage {
    int size;
    std::vector<uint8_t> colour; // palette index per pixel, rows top down
    std::vector<bool> opaque;    // false: the desktop shows through

    explicit IconImage(int side)
        : size(side), colour(size_t(side) * size_t(side), kBlack),
          opaque(size_t(side) * size_t(side), false) {}

    void fill(int x0, int y0, int x1, int y1, Colour c) {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                colour[y * size + x] = c;
                opaque[y * size + x] = true;
            }
    }

    // A raised grey panel: white light from the top left, a grey shadow at
    // the bottom right, a black outline round it.
    void panel(int x0, int y0, int x1, int y1) {
        fill(x0, y0, x1, y1, kBlack);
        fill(x0 + 1, y0 + 1, x1 - 1, y1 - 1, kSilver);
        fill(x0 + 1, y0 + 1, x1 - 1, y0 + 1, kWhite);
        fill(x0 + 1, y0 + 1, x0 + 1, y1 - 1, kWhite);
        fill(x0 + 1, y1 - 1, x1 - 1, y1 - 1, kGrey);
        fill(x1 - 1, y0 + 2, x1 - 1, y1 - 1, kGrey);
    }
};

// Proportions chosen per size rather than scaled, so that the small image keeps
// a clear screen, stand and light at one pixel per detail.
IconImage drawLarge() {
    IconImage icon(32);
    icon.panel(13, 23, 18, 27); // neck
    icon.panel(7, 26, 24, 30);  // foot
    icon.panel(1, 2, 30, 24);   // cabinet
    // The screen sits in a sunken frame: shadow on the top and left edges.
    icon.fill(5, 5, 26, 5, kGrey);
    icon.fill(5, 5, 5, 19, kGrey);
    icon.fill(6, 20, 26, 20, kWhite);
    icon.fill(26, 6, 26, 20, kWhite);
    icon.fill(6, 6, 25, 19, kBlack);
    icon.fill(24, 22, 25, 22, kLime); // power light
    icon.fill(21, 22, 22, 22, kGrey); // button beside it
    return icon;
}

IconImage drawSmall() {
    IconImage icon(16);
    icon.panel(0, 0, 15, 11); // cabinet
    icon.fill(3, 2, 12, 7, kBlack);
    icon.fill(11, 9, 12, 9, kLime);
    icon.fill(6, 12, 9, 12, kBlack); // neck
    icon.fill(7, 12, 8, 12, kSilver);
    icon.fill(3, 13, 12, 15, kBlack); // foot
    icon.fill(4, 14, 11, 14, kSilver);
    return icon;
}

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFFu);
    put16(out, v >> 16);
}

// One icon image as a device-independent bitmap: header, palette, colour
// rows and mask rows, both bottom up and padded to 32 bits, and a header
// height of twice the side because the mask follows the colours.
std::vector<uint8_t> encodeImage(const IconImage& icon) {
    const int n = icon.size;
    const int colourStride = ((n * 4 + 31) / 32) * 4;
    const int maskStride = ((n + 31) / 32) * 4;
    std::vector<uint8_t> out;
    put32(out, 40);
    put32(out, static_cast<uint32_t>(n));
    put32(out, static_cast<uint32_t>(2 * n));
    put16(out, 1); // planes
    put16(out, 4); // bits per pixel
    put32(out, 0); // BI_RGB
    put32(out, static_cast<uint32_t>((colourStride + maskStride) * n));
    put32(out, 0);
    put32(out, 0);
    put32(out, 16);
    put32(out, 0);
    for (const auto& rgb : kPalette) {
        out.push_back(rgb[2]);
        out.push_back(rgb[1]);
        out.push_back(rgb[0]);
        out.push_back(0);
    }
    for (int y = n - 1; y >= 0; --y) {
        std::vector<uint8_t> row(colourStride, 0);
        for (int x = 0; x < n; ++x) {
            // Transparent pixels are black in the colour image, so that the
            // AND-then-XOR drawing leaves the desktop unchanged.
            const uint8_t c = icon.opaque[y * n + x] ? icon.colour[y * n + x] : uint8_t{kBlack};
            row[x / 2] |= (x % 2 == 0) ? static_cast<uint8_t>(c << 4) : c;
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    for (int y = n - 1; y >= 0; --y) {
        std::vector<uint8_t> row(maskStride, 0);
        for (int x = 0; x < n; ++x)
            if (!icon.opaque[y * n + x])
                row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

std::vector<uint8_t> encodeIconFile(const std::vector<IconImage>& icons) {
    std::vector<std::vector<uint8_t>> images(icons.size());
    std::transform(icons.begin(), icons.end(), images.begin(), encodeImage);
    std::vector<uint8_t> out;
    put16(out, 0);
    put16(out, 1); // an icon, not a cursor
    put16(out, static_cast<uint32_t>(images.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        out.push_back(static_cast<uint8_t>(icons[i].size));
        out.push_back(static_cast<uint8_t>(icons[i].size));
        out.push_back(16); // colours
        out.push_back(0);
        put16(out, 1);
        put16(out, 4);
        put32(out, static_cast<uint32_t>(images[i].size()));
        put32(out, offset);
        offset += static_cast<uint32_t>(images[i].size());
    }
    for (const auto& image : images)
        out.insert(out.end(), image.begin(), image.end());
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: zellik-icons OUTPUT.ico\n", stderr);
        return 2;
    }
    const std::vector<uint8_t> bytes = encodeIconFile({drawLarge(), drawSmall()});
    const std::string path = argv[1];
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        std::fprintf(stderr, "zellik-icons: cannot write %s\n", path.c_str());
        if (file != nullptr)
            std::fclose(file);
        return 1;
    }
    return std::fclose(file) == 0 ? 0 : 1;
}
