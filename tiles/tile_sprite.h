// One of the layer's three tiles: a square textured with one atlas cell,
// tinted or white, translucent, sliding through the wedge over a 16-second
// life while it turns, then respawning with new random looks.
#pragma once
#include <cstdint>

struct TileLayer;

struct TileSprite {
    float x, y, z;   // centre; x from -chord to 2 chord over a life
    float phase;     // progress through the life, [0, 1]
    float birthTime; // seconds on the scene clock
    float scale;     // half-size of the quad
    float spin;      // degrees turned over a whole life
    float rotation;  // degrees now: phase * spin
    int32_t cell;    // atlas cell, 0 to 3
    int32_t tinted;  // 1: drawn in the tint colour, 0: white
    float texLeft, texTop, texWidth, texHeight;
    float red, green, blue;
    float alpha; // [0.5, 1]

    void spawnSprite(TileLayer& layer, float spawnPhase);
    void respawnSprite(TileLayer& layer);
    void updateSprite(TileLayer& layer);
    void drawSprite() const;
};
