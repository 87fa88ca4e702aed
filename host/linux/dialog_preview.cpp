#include "host/linux/dialog_preview.h"
#include "host/common/run_seed.h"
#include "platform/counter.h"
#include "scene/kaleidoscope_scene.h"

#include <cstdio>
#include <cstdlib>
#include <new>

namespace {

constexpr int kPreviewWidth = 320, kPreviewHeight = 200; // logical pixels

// The scene and image for a drawing area of that many real pixels: the old
// ones go first (a new scale factor is the only change the dialog, which
// does not resize, ever sees). False when either cannot be had.
bool fitPreview(DialogPreview* p, int32_t width, int32_t height, int scale) {
    if (p->scene != nullptr && p->context.width == width && p->context.height == height)
        return true;
    delete p->scene;
    p->scene = nullptr;
    if (p->pattern != nullptr)
        gtk.cairo_pattern_destroy(p->pattern);
    if (p->image != nullptr)
        gtk.cairo_surface_destroy(p->image);
    p->image = gtk.cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    // OpenGL's rows come bottom first: the pattern turns them over.
    p->pattern = gtk.cairo_pattern_create_for_surface(p->image);
    cairo_matrix_t flip;
    gtk.cairo_matrix_init(&flip, scale, 0, 0, -scale, 0, height);
    gtk.cairo_pattern_set_matrix(p->pattern, &flip);
    // glReadPixels writes whole rows of width * 4 bytes: the image's rows must be exactly that long.
    const bool sized =
        (width == p->context.width && height == p->context.height) || p->context.resize(width, height);
    if (gtk.cairo_surface_status(p->image) != CAIRO_STATUS_SUCCESS || !sized)
        return false;
    p->scene = new (std::nothrow) KaleidoscopeScene(
        width, height, runSeed(std::getenv(kFixedSeedVariable), seedFromCalendarTime()), systemCounter());
    return p->scene != nullptr;
}

void showNote(DialogPreview* p) {
    gtk.gtk_widget_hide(p->area);
    gtk.gtk_widget_show(p->note);
}

// First shown: the context, made now rather than with the dialog, so that a
// dialog nobody maps never loads a driver.
void onMap(GtkWidget* area, gpointer data) {
    auto* p = static_cast<DialogPreview*>(data);
    if (p->glTried)
        return;
    p->glTried = true;
    const int scale = gtk.gtk_widget_get_scale_factor(area);
    p->glMade = p->context.create(kPreviewWidth * scale, kPreviewHeight * scale);
    if (!p->glMade)
        showNote(p);
}

bool minimised(const DialogPreview& p) {
    GdkWindow* window = gtk.gtk_widget_get_window(p.dialog);
    return window == nullptr || (gtk.gdk_window_get_state(window) &
                                 (GDK_WINDOW_STATE_ICONIFIED | GDK_WINDOW_STATE_WITHDRAWN)) != 0;
}

// The next frame is due: ask the toolkit to draw it. The draw arms the timer
// again, so when nothing is drawn (a hidden window) the timer stops too.
gboolean onFrameDue(gpointer data) {
    auto* p = static_cast<DialogPreview*>(data);
    p->armed = false;
    gtk.g_source_set_ready_time(p->timer, -1);
    if (!minimised(*p))
        gtk.gtk_widget_queue_draw(p->area);
    return G_SOURCE_CONTINUE;
}

gboolean dispatchTimer(GSource*, GSourceFunc callback, gpointer data) {
    return callback(data);
}
GSourceFuncs timerFunctions = {nullptr, nullptr, dispatchTimer, nullptr, nullptr, nullptr};

// Back from minimised: the chain of frames starts again.
gboolean onWindowState(GtkWidget*, GdkEventWindowState* event, gpointer data) {
    auto* p = static_cast<DialogPreview*>(data);
    if ((event->new_window_state & (GDK_WINDOW_STATE_ICONIFIED | GDK_WINDOW_STATE_WITHDRAWN)) == 0 &&
        p->glMade)
        gtk.gtk_widget_queue_draw(p->area);
    return FALSE;
}

gboolean onDraw(GtkWidget* area, cairo_t* cr, gpointer data) {
    auto* p = static_cast<DialogPreview*>(data);
    if (!p->glMade)
        return FALSE;
    const int scale = gtk.gtk_widget_get_scale_factor(area);
    if (!fitPreview(p, gtk.gtk_widget_get_allocated_width(area) * scale,
                    gtk.gtk_widget_get_allocated_height(area) * scale, scale)) {
        std::fprintf(stderr, "zellik: no memory for the preview\n");
        p->glMade = false;
        showNote(p);
        return FALSE;
    }
    const uint32_t flags =
        gtk.gtk_toggle_button_get_active(as<GtkToggleButton>(p->mirrors)) ? kRenderMirrors : 0;
    if (p->scene->renderFrame(flags)) {
        gtk.cairo_surface_flush(p->image);
        p->context.readBgraBottomUp(gtk.cairo_image_surface_get_data(p->image));
        gtk.cairo_surface_mark_dirty(p->image);
    }
    gtk.cairo_set_source(cr, p->pattern);
    gtk.cairo_paint(cr);
    if (!p->armed) {
        p->armed = true;
        gtk.g_source_set_ready_time(p->timer,
                                    gtk.g_get_monotonic_time() + gint64{p->scene->sleepInterval()} * 1000);
    }
    return TRUE;
}

} // namespace

GtkWidget* makeDialogPreview(DialogPreview* p, GtkWidget* dialog, GtkWidget* mirrors) {
    p->dialog = dialog;
    p->mirrors = mirrors;
    p->area = gtk.gtk_drawing_area_new();
    gtk.gtk_widget_set_size_request(p->area, kPreviewWidth, kPreviewHeight);
    gtk.gtk_widget_set_halign(p->area, GTK_ALIGN_CENTER); // its own size, however wide the texts below
    p->note = gtk.gtk_label_new("No OpenGL here for the preview; the settings work all the same.");
    gtk.gtk_widget_set_no_show_all(p->note, TRUE);
    GtkWidget* box = gtk.gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk.gtk_box_pack_start(as<GtkBox>(box), p->area, FALSE, FALSE, 0);
    gtk.gtk_box_pack_start(as<GtkBox>(box), p->note, FALSE, FALSE, 0);
    p->timer = gtk.g_source_new(&timerFunctions, sizeof(GSource));
    gtk.g_source_set_callback(p->timer, onFrameDue, p, nullptr);
    gtk.g_source_attach(p->timer, nullptr);
    gtk.g_signal_connect_data(p->area, "map", G_CALLBACK(onMap), p, nullptr, GConnectFlags{});
    gtk.g_signal_connect_data(p->area, "draw", G_CALLBACK(onDraw), p, nullptr, GConnectFlags{});
    gtk.g_signal_connect_data(dialog, "window-state-event", G_CALLBACK(onWindowState), p, nullptr,
                              GConnectFlags{});
    return box;
}

void endDialogPreview(DialogPreview* p) {
    gtk.g_source_destroy(p->timer);
    gtk.g_source_unref(p->timer);
    p->timer = nullptr;
    delete p->scene; // with its context still current
    p->scene = nullptr;
    if (p->glTried)
        p->context.destroy();
    if (p->pattern != nullptr)
        gtk.cairo_pattern_destroy(p->pattern);
    if (p->image != nullptr)
        gtk.cairo_surface_destroy(p->image);
    p->pattern = nullptr;
    p->image = nullptr;
}
