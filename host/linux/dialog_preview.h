// The settings dialog's live preview: the savers' own scene, drawn into a
// windowless OpenGL context (EGL pbuffer) and read back into a cairo image
// that a GtkDrawingArea paints. The same on X11 and Wayland, whatever GL the
// toolkit could or could not get, and a fixed-function compatibility context
// whichever backend GTK runs on.
//
// What it does:
//  [x] size                        320x200 logical pixels, drawn at the real pixel size (x scale factor)
//  [x] context                     made when the area is first mapped, kept with its scene for the
//                                  dialog's life; a new pbuffer and scene only when the size changes
//  [x] pace                        one frame per scene's sleepInterval (about 30 a second) at most,
//                                  each armed by the frame before: none while the toolkit draws nothing
//                                  (a Wayland compositor sending no frames) or the dialog is minimised
//  [x] "Use Mirrors"               read for every frame: a toggle shows at once, nothing is stored
//  [x] no GL                       the area gives way to a one-line note; the dialog works on
//  [x] per frame                   no allocation: render, glReadPixels into the image, paint
#pragma once
#include "host/linux/gtk_functions.h"
#include "host/linux/headless_context.h"

struct KaleidoscopeScene;

struct DialogPreview {
    GtkWidget* dialog = nullptr;  // its window's state says whether anyone can see it
    GtkWidget* mirrors = nullptr; // "Use Mirrors"
    GtkWidget* area = nullptr;    // the drawing area
    GtkWidget* note = nullptr;    // in its place when there is no GL
    HeadlessContext context{};
    KaleidoscopeScene* scene = nullptr;
    cairo_surface_t* image = nullptr;   // the last frame, bottom row first
    cairo_pattern_t* pattern = nullptr; // the image turned the right way up, at one real pixel each
    bool glTried = false;
    bool glMade = false;
    // The next frame's timer: one source for the dialog's life, armed by a
    // ready time (a new g_timeout each frame would allocate each frame).
    GSource* timer = nullptr;
    bool armed = false;
};

// The area and its note in one box, to be placed in the dialog; the note
// stays hidden unless GL cannot be had.
GtkWidget* makeDialogPreview(DialogPreview* preview, GtkWidget* dialog, GtkWidget* mirrors);
// Before the dialog goes: the timer, the scene, its context and the image.
void endDialogPreview(DialogPreview* preview);
