#include "tiles/tile_layer.h"
#include "platform/gl.h"
#include "scene/kaleidoscope_scene.h"
#include "scene/portable_math.h"

#include <algorithm>
#include <iterator>

double TileLayer::draw() {
    return scene->random.unit();
}

void TileLayer::setUp(KaleidoscopeScene* owner, bool randomCellsAtStart) {
    scene = owner;
    randomCells = randomCellsAtStart;
    driftLength = 0;
    driftCount = 0;
    zoom = static_cast<float>(draw() + 1.0);
    spin = static_cast<float>(360.0 * draw());
    draw(); // two draws whose values go unused; they keep the sequence
    draw();
    syncSprites = static_cast<int32_t>(2.0 * draw()) == 0;
    texturesCreated = false;
    cellCount = 4;
    currentCell = 0;
    zoomFrom = spinFrom = zoomShift = spinShift = 0.0f;
}

void TileLayer::initTiles() {
    currentCell = scene->random.below(cellCount);
    std::fill(std::begin(sprites), std::end(sprites), TileSprite{});
    loadTextures();
    // Sprite 2 is born a whole life ago, so it respawns in the first frame
    // and from then on runs nearly in step with sprite 0: respawns come about
    // every eight seconds, alternately one tile and two.
    sprites[0].spawnSprite(*this, 0.0f);
    sprites[1].spawnSprite(*this, 0.5f);
    sprites[2].spawnSprite(*this, 1.0f);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
}

void TileLayer::loadTextures() {
    currentCell = scene->random.below(cellCount); // this second value is the one that stands
    textures[0] = MaskTexture{};
    textures[1] = MaskTexture{};
    texturesCreated = true;
    // A texture that fails to load keeps name 0 and the saver goes on
    // without it; the loader has already said why on stderr.
    loadMaskTexture(textures[0], kAtlasResource);
    loadMaskTexture(textures[1], kLogoResource);
    glDisable(GL_LIGHTING);
}

void TileLayer::updateTiles() {
    randomCells = true;
    for (TileSprite& sprite : sprites)
        sprite.updateSprite(*this);
}

void TileLayer::driftStep() {
    ++driftCount;
    if (driftCount > driftLength) {
        // A new drift segment; the draws are made in exactly this order.
        driftCount = 0;
        driftLength = 1 + static_cast<int32_t>(3.0 * draw());
        syncSprites = static_cast<int32_t>(2.0 * draw()) == 0;
        currentCell = static_cast<int32_t>(cellCount * draw());
        if (draw() < static_cast<double>(0.1f))
            scene->pickWedge(true);

        zoomFrom = zoom;
        if (draw() < 0.5) {
            const double band = zoom < 1.5f ? 0.5 : 0.0;
            zoomShift = static_cast<float>(1.0 + band + 0.5 * draw() - zoomFrom);
        } else {
            zoomShift = 0.0f;
        }

        spinFrom = spin;
        if (draw() < 0.5) {
            const double band = spin > 180.0f ? 0.0 : 180.0;
            spinShift = static_cast<float>(180.0 * draw() + band - spinFrom);
        } else {
            spinShift = 0.0f;
        }
    }
    const double p = static_cast<double>(driftCount) / driftLength;
    const double s = smoothstep(p);
    zoom = static_cast<float>(zoomFrom + s * zoomShift);
    spin = static_cast<float>(spinFrom + s * spinShift);
}

void TileLayer::beginPass() const {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);

    // The logo strip, 4 by 0.25 units at (5, -5): the lower right of the
    // picture. Its colour cycles from yellow to blue and back every 20 pi
    // seconds; its opacity is a tenth of the mask.
    glBindTexture(GL_TEXTURE_2D, logo().textureName);
    glPushMatrix();
    glTranslatef(5.0f, -5.0f, 0.0f);
    const double t = scene->currentTime();
    const float k = static_cast<float>((portableCos(static_cast<double>(0.1f) * t) + 1.0) / 2.0);
    glColor4f(k, k, 1.0f - k, 0.1f);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-2.0f, -0.125f, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(2.0f, -0.125f, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(2.0f, 0.125f, 0.0f);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-2.0f, 0.125f, 0.0f);
    glEnd();
    glPopMatrix();

    glBindTexture(GL_TEXTURE_2D, atlas().textureName);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLfloat>(GL_MODULATE));
}

void TileLayer::drawTiles() const {
    for (const TileSprite& sprite : sprites)
        sprite.drawSprite();
}

void TileLayer::endPass() const {
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
}

void TileLayer::tearDown() {
    if (texturesCreated) {
        glDeleteTextures(1, &textures[0].textureName);
        glDeleteTextures(1, &textures[1].textureName);
        textures[0] = MaskTexture{};
        textures[1] = MaskTexture{};
        texturesCreated = false;
    }
}
