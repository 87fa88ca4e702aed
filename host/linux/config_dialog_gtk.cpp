#include "host/linux/config_dialog_gtk.h"
#include "host/linux/settings_file.h"

#include <gtk/gtk.h>

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

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

// GNOME blanks (and locks) the screen after its own idle delay, in seconds;
// 0 where it never does or where GNOME's settings are not installed. The
// schema is looked up first: GSettings aborts on one that is missing.
uint32_t gnomeIdleDelay() {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema = source != nullptr
                                  ? g_settings_schema_source_lookup(source, "org.gnome.desktop.session", TRUE)
                                  : nullptr;
    if (schema == nullptr)
        return 0;
    uint32_t seconds = 0;
    if (g_settings_schema_has_key(schema, "idle-delay")) {
        GSettings* session = g_settings_new_full(schema, nullptr, nullptr);
        seconds = g_settings_get_uint(session, "idle-delay");
        g_object_unref(session);
    }
    g_settings_schema_unref(schema);
    return seconds;
}

// The watcher of this session, started at once so that the new idle time
// needs no new login: this very program with --idle, in a session of its
// own (double fork, setsid), so it outlives the dialog and is nobody's
// zombie. A watcher that already runs makes the new one leave at once.
void startIdleWatcher() {
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return;
    path[length] = '\0';
    const pid_t child = fork();
    if (child < 0)
        return;
    if (child == 0) {
        setsid();
        if (fork() != 0)
            _exit(0);
        // Its messages go where the dialog's go: the session's log.
        const int nothing = open("/dev/null", O_RDWR);
        if (nothing >= 0)
            dup2(nothing, STDIN_FILENO);
        char idle[] = "--idle";
        char* argv[] = {path, idle, nullptr};
        execv(path, argv);
        _exit(127);
    }
    waitpid(child, nullptr, 0);
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
    // Below the check box: the idle watcher's time, 0 (the default) off.
    const uint32_t idleMinutes = readIdleMinutes();
    GtkWidget* idleRow = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
    GtkWidget* idle = gtk_spin_button_new_with_range(0, kMaxIdleMinutes, 1);
    gtk_spin_button_set_value(GTK_SPIN_BUTTON(idle), idleMinutes);
    gtk_spin_button_set_numeric(GTK_SPIN_BUTTON(idle), TRUE);
    gtk_entry_set_activates_default(GTK_ENTRY(idle), TRUE);
    gtk_widget_set_tooltip_text(idle,
                                "0: never; otherwise the screen saver starts after that many idle minutes");
    // Alt+A reaches it from the keyboard.
    GtkWidget* after = gtk_label_new_with_mnemonic("Start _after");
    gtk_label_set_mnemonic_widget(GTK_LABEL(after), idle);
    gtk_box_pack_start(GTK_BOX(idleRow), after, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(idleRow), idle, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(idleRow), leftLabel("minutes"), FALSE, FALSE, 0);
    gtk_grid_attach(GTK_GRID(grid), mirrors, 0, 0, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), ok, 1, 0, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), idleRow, 0, 1, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), cancel, 1, 1, 1, 1);
    int row = 2;
    // GNOME's own blanking comes first when it is sooner: say so, with its time.
    if (const uint32_t gnome = gnomeIdleDelay(); gnome > 0) {
        char note[160];
        std::snprintf(note, sizeof note,
                      "GNOME blanks the screen after %u minute%s:\nset a shorter time to see Zellik.",
                      (gnome + 59) / 60, (gnome + 59) / 60 == 1 ? "" : "s");
        gtk_grid_attach(GTK_GRID(grid), leftLabel(note), 0, row++, 2, 1);
    }
    gtk_grid_attach(GTK_GRID(grid), leftLabel("Version 1.0"), 0, row++, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), leftLabel("Zellik, a kaleidoscope of drifting tiles"), 0, row++, 2, 1);
    gtk_grid_attach(GTK_GRID(grid), leftLabel("Three tinted tiles, one wedge,"), 0, row++, 2, 1);
    gtk_grid_attach(GTK_GRID(grid), leftLabel("and mirrors all the way round."), 0, row, 2, 1);
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
    uint32_t newIdleMinutes = idleMinutes;
    if (store) {
        settings->useMirrors = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(mirrors)) ? 1u : 0u;
        gtk_spin_button_update(GTK_SPIN_BUTTON(idle)); // a number typed and not yet taken
        newIdleMinutes = static_cast<uint32_t>(gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(idle)));
    }
    gtk_widget_destroy(dialog);
    while (gtk_events_pending())
        gtk_main_iteration();

    if (!store)
        return 0;
    std::string error;
    if (!writeSaverSettings(*settings, &error) || !writeIdleMinutes(newIdleMinutes, &error)) {
        std::fprintf(stderr, "zellik: %s\n", error.c_str());
        return 1;
    }
    if (newIdleMinutes != 0 && newIdleMinutes != idleMinutes)
        startIdleWatcher();
    return 0;
}
