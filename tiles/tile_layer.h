// What the kaleidoscope shows inside each wedge: three drifting tiles, the
// zoom, spin and atlas cell they share, the atlas and logo textures, the
// state of the tile pass and the faint logo strip.
#pragma once
#include "tiles/mask_texture.h"
#include "tiles/tile_sprite.h"

#include <cstdint>

struct KaleidoscopeScene;

constexpr int32_t kSpriteCount = 3;
constexpr const char* kAtlasResource = "JPEG_ZELLIK_MASK";
constexpr const char* kLogoResource = "LOGO_MASK";

struct TileLayer {
    TileSprite sprites[kSpriteCount]; // updated and drawn in this order
    KaleidoscopeScene* scene;         // not owned: time, wedge and random numbers
    float zoom;                       // shared size factor, [1, 2]
    float spin;                       // shared rotation of a tile over one life, degrees
    int32_t driftCount;               // respawns counted in the current drift segment
    int32_t driftLength;              // length of the current drift segment, in respawns
    bool syncSprites;                 // respawning tiles take the shared zoom, spin and cell
    float zoomFrom, spinFrom;
    float zoomShift, spinShift; // target minus start; 0 while the value holds
    int32_t currentCell;
    int32_t cellCount;
    MaskTexture textures[2]; // [0] the tile atlas, [1] the logo strip
    bool texturesCreated;
    bool randomCells; // an unsynchronised respawn picks a random cell

    // Construction: draws five random numbers.
    void setUp(KaleidoscopeScene* owner, bool randomCellsAtStart);
    void initTiles();
    void loadTextures();
    void updateTiles();
    void driftStep();
    void beginPass() const;
    void drawTiles() const;
    void endPass() const;
    // Destruction: deletes the textures (OpenGL context current).
    void tearDown();

    // A fresh draw in [0, 1) from the scene's generator.
    double draw();
    const MaskTexture& atlas() const { return textures[0]; }
    const MaskTexture& logo() const { return textures[1]; }
};
