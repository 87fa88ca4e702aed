#include "scene/kaleidoscope_scene.h"
#include "platform/gl.h"

#include <ctime>

uint32_t seedFromCalendarTime() {
    return static_cast<uint32_t>(std::time(nullptr) % 256);
}

void setSceneViewport(int32_t width, int32_t height) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A zero height would make the aspect ratio infinite; draw as if square.
    const double aspect = height > 0 ? static_cast<double>(width) / height : 1.0;
    gluPerspective(90.0, aspect, 1.0, 20.0);
    glMatrixMode(GL_MODELVIEW);
}

KaleidoscopeScene::KaleidoscopeScene(int32_t width, int32_t height, uint32_t seed, const Counter& counter)
    : wedgeTable{}, tileLayer{}, currentWedge(&wedgeTable[0]),
      mirrorsOn(true), clock{}, transition{}, random{}, drawnWedge(&wedgeTable[0]), layerDraws(0) {
    // The order of the steps fixes the random sequence.
    random.seed(seed);
    random.next();

    clock.counter = counter;
    clock.targetFrameRate = 30;
    clock.sleepInterval = 41;

    setSceneViewport(width, height);

    for (int32_t k = 0; k < kWedgeTableSize; ++k)
        buildWedge(wedgeTable[k], static_cast<float>(360.0 / (10 + 2 * k)));

    pickWedge(false);
    drawnWedge = currentWedge;
    mirrorsOn = true;
    clock.startClock();

    tileLayer.setUp(this, false);
    tileLayer.initTiles();

    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
}

KaleidoscopeScene::~KaleidoscopeScene() {
    tileLayer.tearDown();
}

bool KaleidoscopeScene::renderFrame(uint32_t renderFlags) {
    mirrorsOn = (renderFlags & kRenderMirrors) != 0;
    glDrawBuffer(GL_BACK);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    gluLookAt(0.0, 0.0, 5.5, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    const MirrorWedge& wedge = advanceFrame();
    layerDraws = drawMirrored(wedge);
    glFlush();
    return true;
}

const MirrorWedge& KaleidoscopeScene::advanceFrame() {
    clock.tickClock();
    tileLayer.updateTiles();
    drawnWedge = transition.active ? &stepTransition() : currentWedge;
    return *drawnWedge;
}

int32_t KaleidoscopeScene::drawMirrored(const MirrorWedge& wedge) {
    int32_t draws = 0;
    glPushMatrix();
    // The logo strip is drawn here, under the camera alone, before any clip
    // plane is on: once per frame, neither clipped nor mirrored.
    tileLayer.beginPass();
    if (mirrorsOn) {
        glEnable(GL_CLIP_PLANE0);
        glEnable(GL_CLIP_PLANE1);
    }
    // OpenGL transforms a clip plane by the inverse of the model-view matrix
    // current when it is set. Setting the planes after the rotation clips the
    // tiles to the wedge in the layer's own coordinates; setting them again
    // after the reflection clips the reflected copy to the reflected wedge,
    // whose winding is reversed, hence the clockwise front face.
    for (int32_t i = 0; i < wedge.segmentCount; i += 2) {
        glPushMatrix();
        glRotatef(static_cast<float>(i) * wedge.angle, 0.0f, 0.0f, 1.0f);
        glFrontFace(GL_CCW);
        glClipPlane(GL_CLIP_PLANE0, wedge.startPlane);
        glClipPlane(GL_CLIP_PLANE1, wedge.endPlane);
        tileLayer.drawTiles();
        ++draws;
        if (mirrorsOn) {
            glScalef(-1.0f, 1.0f, 1.0f);
            glFrontFace(GL_CW);
            glClipPlane(GL_CLIP_PLANE0, wedge.startPlane);
            glClipPlane(GL_CLIP_PLANE1, wedge.endPlane);
            tileLayer.drawTiles();
            ++draws;
        }
        glPopMatrix();
        if (!mirrorsOn)
            break;
    }
    glDisable(GL_CLIP_PLANE0);
    glDisable(GL_CLIP_PLANE1);
    glDisable(GL_CLIP_PLANE2);
    glFrontFace(GL_CCW);
    glPopMatrix();
    tileLayer.endPass();
    return draws;
}

void KaleidoscopeScene::pickWedge(bool animate) {
    const int32_t r = random.next();
    const int32_t index = static_cast<int32_t>(r * static_cast<double>(kRandomScale) * 8.0);
    selectWedge(index, animate);
}

void KaleidoscopeScene::selectWedge(int32_t index, bool animate) {
    const MirrorWedge* previous = currentWedge;
    // Only indices 0 to 7 arise; any other still lands inside the table.
    currentWedge = &wedgeTable[((index % kWedgeTableSize) + kWedgeTableSize) % kWedgeTableSize];
    if (!animate)
        return;
    if (transition.active) {
        // The angle on screen becomes the start of the re-aimed transition,
        // so the motion has no jump.
        transition.startAngle = transition.easedAngle(clock.currentTime);
    } else {
        transition.startAngle = previous->angle;
        transition.active = true;
    }
    transition.startTime = clock.currentTime;
    transition.duration = 2.0f;
    transition.targetAngle = currentWedge->angle;
}

const MirrorWedge& KaleidoscopeScene::stepTransition() {
    const double p = (static_cast<double>(clock.currentTime) - transition.startTime) / transition.duration;
    if (!(p < 1.0))
        transition.active = false; // this frame is still drawn from the blend, at the target
    buildWedge(transition.blendWedge, transition.easedAngle(clock.currentTime));
    return transition.blendWedge;
}
