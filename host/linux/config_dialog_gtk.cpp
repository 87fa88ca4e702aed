#include "host/linux/config_dialog_gtk.h"
#include "host/linux/settings_file.h"

#include <gtk/gtk.h>

#include <cstdio>
#include <string>

namespace {

void respondOk(GtkButton*, gpointer dialog) {
    gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
}

void respondCancel(GtkButton*, gpointer dialog) {
    gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
}

GtkWidget* leftLabel(const char* text) {
    GtkWidget* label = gtk_label_new(text);
    gtk_widget_set_halign(label, GTK_ALIGN_START);
    return label;
}

} // namespace

int runConfigDialog(SaverSettings* settings) {
    if (!gtk_init_check(nullptr, nullptr)) {
        std::fprintf(stderr,
                     "zellik: no display for the settings dialog; "
                     "store the setting with 'zellik -c --mirrors on' or 'zellik -c --mirrors off'\n");
        return 1;
    }
    GtkWidget* dialog = gtk_dialog_new();
    gtk_window_set_title(GTK_WINDOW(dialog), "Config dialog");
    gtk_window_set_resizable(GTK_WINDOW(dialog), FALSE);

    // The Windows layout: the check box and the texts on the left, the two
    // push buttons stacked on the right.
    GtkWidget* grid = gtk_grid_new();
    gtk_container_set_border_width(GTK_CONTAINER(grid), 12);
    gtk_grid_set_row_spacing(GTK_GRID(grid), 6);
    gtk_grid_set_column_spacing(GTK_GRID(grid), 24);
    GtkWidget* mirrors = gtk_check_button_new_with_label("Use Mirrors");
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(mirrors), settings->useMirrors != 0);
    GtkWidget* ok = gtk_button_new_with_label("OK");
    GtkWidget* cancel = gtk_button_new_with_label("Cancel");
    gtk_grid_attach(GTK_GRID(grid), mirrors, 0, 0, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), ok, 1, 0, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), cancel, 1, 1, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), leftLabel("Version 1.0"), 0, 2, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), leftLabel("Zellik, a kaleidoscope of drifting tiles"), 0, 3, 2, 1);
    gtk_grid_attach(GTK_GRID(grid), leftLabel("Three tinted tiles, one wedge,"), 0, 4, 2, 1);
    gtk_grid_attach(GTK_GRID(grid), leftLabel("and mirrors all the way round."), 0, 5, 2, 1);
    gtk_container_add(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(dialog))), grid);
    g_signal_connect(ok, "clicked", G_CALLBACK(respondOk), dialog);
    g_signal_connect(cancel, "clicked", G_CALLBACK(respondCancel), dialog);

    // OK is the default button, so Enter stores the choice wherever the
    // focus is; the focus starts on the check box, so Space toggles it.
    gtk_widget_set_can_default(ok, TRUE);
    gtk_window_set_default(GTK_WINDOW(dialog), ok);
    gtk_widget_show_all(dialog);
    gtk_widget_grab_focus(mirrors);

    // Escape and the close box both come back as GTK_RESPONSE_DELETE_EVENT.
    const gint response = gtk_dialog_run(GTK_DIALOG(dialog));
    const bool store = response == GTK_RESPONSE_OK;
    if (store)
        settings->useMirrors = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(mirrors)) ? 1u : 0u;
    gtk_widget_destroy(dialog);
    while (gtk_events_pending())
        gtk_main_iteration();

    if (!store)
        return 0;
    std::string error;
    if (!writeSaverSettings(*settings, &error)) {
        std::fprintf(stderr, "zellik: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
