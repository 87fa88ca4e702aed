// The one kaleidoscope: the wedge table, the clock, the current wedge and its
// transitions, and the tile layer whose drifting tiles are the picture. Each
// frame draws the layer clipped to one wedge and repeated round the centre,
// every second copy mirrored; with mirrors off the layer is drawn once, whole.
#pragma once
#include "platform/counter.h"
#include "scene/frame_clock.h"
#include "scene/mirror_wedge.h"
#include "scene/random.h"
#include "scene/wedge_transition.h"
#include "tiles/tile_layer.h"

#include <cstdint>

constexpr int32_t kWedgeTableSize = 8;
constexpr uint32_t kRenderMirrors = 0x10000; // the one meaningful bit of renderFlags

// The viewport and the 90-degree projection for a drawing area of that many
// pixels, centred on the scene's axis. Set-up calls it once; a host calls it
// again, with the scene's context current, when its drawing area changes size.
void setSceneViewport(int32_t width, int32_t height);

// The seed a saver run starts from: the calendar time in seconds modulo 256.
uint32_t seedFromCalendarTime();

struct KaleidoscopeScene {
    MirrorWedge wedgeTable[kWedgeTableSize]; // entry k: 10 + 2k wedges
    TileLayer tileLayer;
    const MirrorWedge* currentWedge; // one of wedgeTable
    bool mirrorsOn;
    FrameClock clock;
    WedgeTransition transition;
    RandomGenerator random;
    const MirrorWedge* drawnWedge; // the wedge of the last frame: a table entry or the blend
    int32_t layerDraws;            // drawTiles calls of the last frame

    // Set-up with the window's size in pixels; an OpenGL context must be
    // current. The saver seeds with seedFromCalendarTime() and the system
    // counter; renders and tests choose their own.
    KaleidoscopeScene(int32_t width, int32_t height, uint32_t seed, const Counter& counter);
    // Teardown; the OpenGL context must still be current.
    ~KaleidoscopeScene();
    KaleidoscopeScene(const KaleidoscopeScene&) = delete;
    KaleidoscopeScene& operator=(const KaleidoscopeScene&) = delete;

    // Draws one frame into the back buffer; true means: swap buffers.
    bool renderFrame(uint32_t renderFlags);

    // The frame's state changes without any drawing: the clock, the tiles and
    // the wedge transition. Returns the wedge to draw.
    const MirrorWedge& advanceFrame();

    // Draws the layer for wedge W; returns how many times the layer was drawn.
    int32_t drawMirrored(const MirrorWedge& wedge);

    void pickWedge(bool animate);
    void selectWedge(int32_t index, bool animate);
    const MirrorWedge& stepTransition();

    float currentTime() const { return clock.currentTime; }
    int32_t sleepInterval() const { return clock.sleepInterval; }
};
