#include "tiles/tile_sprite.h"
#include "platform/gl.h"
#include "scene/kaleidoscope_scene.h"
#include "tiles/tile_layer.h"

#include <cmath>

namespace {

constexpr float kLifeSeconds = 16.0f;
constexpr int32_t kCellPixels = 512;

} // namespace

void TileSprite::spawnSprite(TileLayer& layer, float spawnPhase) {
    layer.draw(); // two draws whose values go unused: the respawn sets y and z
    layer.draw();
    phase = spawnPhase;
    respawnSprite(layer);
}

void TileSprite::respawnSprite(TileLayer& layer) {
    // After a completed life the phase is the fraction left over, so the new
    // life keeps the 16-second schedule of the old one.
    birthTime = static_cast<float>(static_cast<double>(layer.scene->currentTime()) - kLifeSeconds * phase);
    tinted = static_cast<int32_t>(4.0 * layer.draw()) == 0 ? 1 : 0;
    if (layer.syncSprites) {
        spin = layer.spin;
        scale = static_cast<float>(layer.zoom + 0.25);
        cell = layer.currentCell;
    } else {
        spin = static_cast<float>(2.0 * layer.draw() * layer.spin);
        scale = static_cast<float>(layer.draw() * layer.zoom + 0.25);
        cell = layer.randomCells ? static_cast<int32_t>(layer.cellCount * layer.draw()) : layer.currentCell;
    }

    // The cell's rectangle in texture coordinates. Without an atlas (it
    // failed to load) the whole, empty texture stands in for the cell.
    const MaskTexture& atlas = layer.atlas();
    if (atlas.width > 0 && atlas.height > 0) {
        // Cell k lies in column k mod 2 and row k div 2 of the atlas.
        const int32_t left = kCellPixels * (cell % 2);
        const int32_t top = kCellPixels * (cell / 2);
        texLeft = static_cast<float>(static_cast<double>(left) / atlas.width);
        texTop = static_cast<float>(static_cast<double>(top) / atlas.height);
        texWidth = static_cast<float>(static_cast<double>(kCellPixels) / atlas.width);
        texHeight = static_cast<float>(static_cast<double>(kCellPixels) / atlas.height);
    } else {
        texLeft = texTop = 0.0f;
        texWidth = texHeight = 1.0f;
    }

    // The tint is drawn whether or not the tile is tinted.
    red = static_cast<float>(layer.draw());
    green = static_cast<float>(layer.draw());
    blue = static_cast<float>(layer.draw());
    alpha = static_cast<float>((layer.draw() + 1.0) / 2.0);
    y = static_cast<float>(-static_cast<double>(2.4f) * layer.draw());
    z = static_cast<float>(2.0 * layer.draw());
    layer.draw(); // unused: the next update sets the rotation
}

void TileSprite::updateSprite(TileLayer& layer) {
    // The chord is read first: when this sprite's respawn changes the wedge,
    // it keeps the old chord for this frame.
    const float chord = layer.scene->currentWedge->chord;
    phase = static_cast<float>((static_cast<double>(layer.scene->currentTime()) - birthTime) / kLifeSeconds);
    if (phase > 1.0f) {
        // One respawn however many lives have passed since the last update.
        phase = phase - std::floor(phase);
        layer.driftStep();
        respawnSprite(layer);
    }
    x = static_cast<float>(static_cast<double>(chord) * (3.0 * phase - 1.0));
    rotation = static_cast<float>(static_cast<double>(phase) * spin);
}

void TileSprite::drawSprite() const {
    glPushMatrix();
    glTranslatef(x, y, z);
    glRotatef(-rotation, 0.0f, 0.0f, 1.0f);
    glScalef(scale, scale, scale);
    if (tinted)
        glColor4f(red, green, blue, alpha);
    else
        glColor4f(1.0f, 1.0f, 1.0f, alpha);
    glBegin(GL_QUADS);
    glTexCoord2f(texLeft, texTop + texHeight);
    glVertex3f(-1.0f, -1.0f, 0.0f);
    glTexCoord2f(texLeft + texWidth, texTop + texHeight);
    glVertex3f(1.0f, -1.0f, 0.0f);
    glTexCoord2f(texLeft + texWidth, texTop);
    glVertex3f(1.0f, 1.0f, 0.0f);
    glTexCoord2f(texLeft, texTop);
    glVertex3f(-1.0f, 1.0f, 0.0f);
    glEnd();
    glPopMatrix();
}
