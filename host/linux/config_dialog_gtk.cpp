#include "host/linux/config_dialog_gtk.h"
#include "host/idle/idle_watcher.h"
#include "host/linux/dialog_notes.h"
#include "host/linux/dialog_preview.h"
#include "host/linux/gtk_functions.h"
#include "host/linux/idle_start.h"
#include "host/linux/settings_file.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void respondOk(GtkButton*, gpointer dialog) {
    gtk.gtk_dialog_response(static_cast<GtkDialog*>(dialog), GTK_RESPONSE_OK);
}

void respondCancel(GtkButton*, gpointer dialog) {
    gtk.gtk_dialog_response(static_cast<GtkDialog*>(dialog), GTK_RESPONSE_CANCEL);
}

GtkWidget* leftLabel(const char* text) {
    GtkWidget* label = gtk.gtk_label_new(text);
    gtk.gtk_widget_set_halign(label, GTK_ALIGN_START);
    return label;
}

// GNOME blanks (and locks) the screen after its own idle delay, in seconds;
// 0 where it never does or where GNOME's settings are not installed. The
// schema is looked up first: GSettings aborts on one that is missing.
uint32_t gnomeIdleDelay() {
    GSettingsSchemaSource* source = gtk.g_settings_schema_source_get_default();
    GSettingsSchema* schema =
        source != nullptr ? gtk.g_settings_schema_source_lookup(source, "org.gnome.desktop.session", TRUE)
                          : nullptr;
    if (schema == nullptr)
        return 0;
    uint32_t seconds = 0;
    if (gtk.g_settings_schema_has_key(schema, "idle-delay")) {
        GSettings* session = gtk.g_settings_new_full(schema, nullptr, nullptr);
        seconds = gtk.g_settings_get_uint(session, "idle-delay");
        gtk.g_object_unref(session);
    }
    gtk.g_settings_schema_unref(schema);
    return seconds;
}

// GNOME's note follows the time being set: it goes once the time is shorter.
struct GnomeNote {
    GtkWidget* label;
    uint32_t gnomeSeconds;
};

void showGnomeNote(const GnomeNote& note, uint32_t idleMinutes) {
    gtk.gtk_widget_set_visible(
        note.label, gnomeNoteWanted(std::getenv("XDG_CURRENT_DESKTOP"), note.gnomeSeconds, idleMinutes));
}

void onIdleTimeChanged(GtkSpinButton* idle, gpointer data) {
    showGnomeNote(*static_cast<const GnomeNote*>(data),
                  static_cast<uint32_t>(gtk.gtk_spin_button_get_value_as_int(idle)));
}

} // namespace

int runConfigDialog(SaverSettings* settings) {
    std::string error;
    if (!loadGtk(&error)) {
        std::fprintf(stderr, "zellik: %s\n", error.c_str());
        return 1;
    }
    if (!gtk.gtk_init_check(nullptr, nullptr)) {
        std::fprintf(
            stderr, "zellik: no display for the settings dialog; "
                    "store the settings with 'zellik -c --mirrors on|off' or 'zellik -c --idle-minutes N'\n");
        return 1;
    }
    GtkWidget* dialog = gtk.gtk_dialog_new();
    gtk.gtk_window_set_title(as<GtkWindow>(dialog), "Config dialog");
    gtk.gtk_window_set_resizable(as<GtkWindow>(dialog), FALSE);

    // The Windows layout under the preview: the check box and the texts on
    // the left, the two push buttons stacked on the right.
    GtkWidget* grid = gtk.gtk_grid_new();
    gtk.gtk_container_set_border_width(as<GtkContainer>(grid), 12);
    gtk.gtk_grid_set_row_spacing(as<GtkGrid>(grid), 6);
    gtk.gtk_grid_set_column_spacing(as<GtkGrid>(grid), 24);
    GtkWidget* mirrors = gtk.gtk_check_button_new_with_label("Use Mirrors");
    gtk.gtk_toggle_button_set_active(as<GtkToggleButton>(mirrors), settings->useMirrors != 0);
    DialogPreview preview;
    gtk.gtk_grid_attach(as<GtkGrid>(grid), makeDialogPreview(&preview, dialog, mirrors), 0, 0, 2, 1);
    GtkWidget* ok = gtk.gtk_button_new_with_label("OK");
    GtkWidget* cancel = gtk.gtk_button_new_with_mnemonic("_Cancel"); // Alt+C
    // Below the check box: the idle watcher's time, 0 (the default) off.
    const uint32_t idleMinutes = readIdleMinutes();
    GtkWidget* idleRow = gtk.gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
    GtkWidget* idle = gtk.gtk_spin_button_new_with_range(0, kMaxIdleMinutes, 1);
    gtk.gtk_spin_button_set_value(as<GtkSpinButton>(idle), idleMinutes);
    gtk.gtk_spin_button_set_numeric(as<GtkSpinButton>(idle), TRUE);
    gtk.gtk_entry_set_activates_default(as<GtkEntry>(idle), TRUE);
    gtk.gtk_widget_set_tooltip_text(
        idle, "0: never; otherwise the screen saver starts after that many idle minutes");
    // Alt+A reaches it from the keyboard.
    GtkWidget* after = gtk.gtk_label_new_with_mnemonic("Start _after");
    gtk.gtk_label_set_mnemonic_widget(as<GtkLabel>(after), idle);
    gtk.gtk_box_pack_start(as<GtkBox>(idleRow), after, FALSE, FALSE, 0);
    gtk.gtk_box_pack_start(as<GtkBox>(idleRow), idle, FALSE, FALSE, 0);
    gtk.gtk_box_pack_start(as<GtkBox>(idleRow), leftLabel("minutes"), FALSE, FALSE, 0);
    gtk.gtk_grid_attach(as<GtkGrid>(grid), mirrors, 0, 1, 1, 1);
    gtk.gtk_grid_attach(as<GtkGrid>(grid), ok, 1, 1, 1, 1);
    gtk.gtk_grid_attach(as<GtkGrid>(grid), idleRow, 0, 2, 1, 1);
    gtk.gtk_grid_attach(as<GtkGrid>(grid), cancel, 1, 2, 1, 1);
    int row = 3;
    // Whether the saver starts by itself here: the watcher's lock says whether
    // one runs; where none does, the session is asked for an idle source.
    const bool watcherRuns = idleWatcherRunning();
    char idleLine[200];
    formatIdleLine(watcherRuns, watcherRuns || probeIdleSource() != IdleSourceKind::None, idleMinutes,
                   idleLine, sizeof idleLine);
    if (idleLine[0] != '\0')
        gtk.gtk_grid_attach(as<GtkGrid>(grid), leftLabel(idleLine), 0, row++, 2, 1);
    // GNOME's own blanking comes first when it is sooner: say so, with its time.
    GnomeNote gnomeNote{nullptr, gnomeIdleDelay()};
    if (gnomeNote.gnomeSeconds > 0) {
        char note[160];
        const uint32_t minutes = (gnomeNote.gnomeSeconds + 59) / 60;
        std::snprintf(note, sizeof note,
                      "GNOME blanks the screen after %u minute%s:\nset a shorter time to see Zellik.",
                      minutes, minutes == 1 ? "" : "s");
        gnomeNote.label = leftLabel(note);
        gtk.gtk_widget_set_no_show_all(gnomeNote.label, TRUE);
        showGnomeNote(gnomeNote, idleMinutes);
        gtk.gtk_grid_attach(as<GtkGrid>(grid), gnomeNote.label, 0, row++, 2, 1);
        gtk.g_signal_connect_data(idle, "value-changed", G_CALLBACK(onIdleTimeChanged), &gnomeNote, nullptr,
                                  GConnectFlags{});
    }
    gtk.gtk_grid_attach(as<GtkGrid>(grid), leftLabel("Version 1.0"), 0, row++, 1, 1);
    gtk.gtk_grid_attach(as<GtkGrid>(grid), leftLabel("Zellik, a kaleidoscope of drifting tiles"), 0, row++, 2,
                        1);
    gtk.gtk_grid_attach(as<GtkGrid>(grid), leftLabel("Three tinted tiles, one wedge,"), 0, row++, 2, 1);
    gtk.gtk_grid_attach(as<GtkGrid>(grid), leftLabel("and mirrors all the way round."), 0, row, 2, 1);
    gtk.gtk_container_add(as<GtkContainer>(gtk.gtk_dialog_get_content_area(as<GtkDialog>(dialog))), grid);
    gtk.g_signal_connect_data(ok, "clicked", G_CALLBACK(respondOk), dialog, nullptr, GConnectFlags{});
    gtk.g_signal_connect_data(cancel, "clicked", G_CALLBACK(respondCancel), dialog, nullptr, GConnectFlags{});

    // OK is the default button, so Enter stores the choice wherever the
    // focus is; the focus starts on the check box, so Space toggles it.
    gtk.gtk_widget_set_can_default(ok, TRUE);
    gtk.gtk_window_set_default(as<GtkWindow>(dialog), ok);
    gtk.gtk_widget_show_all(dialog);
    gtk.gtk_widget_grab_focus(mirrors);

    // Escape and the close box both come back as GTK_RESPONSE_DELETE_EVENT.
    const gint response = gtk.gtk_dialog_run(as<GtkDialog>(dialog));
    const bool store = response == GTK_RESPONSE_OK;
    uint32_t newIdleMinutes = idleMinutes;
    if (store) {
        settings->useMirrors = gtk.gtk_toggle_button_get_active(as<GtkToggleButton>(mirrors)) ? 1u : 0u;
        gtk.gtk_spin_button_update(as<GtkSpinButton>(idle)); // a number typed and not yet taken
        newIdleMinutes = static_cast<uint32_t>(gtk.gtk_spin_button_get_value_as_int(as<GtkSpinButton>(idle)));
    }
    endDialogPreview(&preview);
    gtk.gtk_widget_destroy(dialog);
    while (gtk.gtk_events_pending())
        gtk.gtk_main_iteration();

    if (!store)
        return 0;
    if (!writeSaverSettings(*settings, &error) || !writeIdleMinutes(newIdleMinutes, &error)) {
        std::fprintf(stderr, "zellik: %s\n", error.c_str());
        return 1;
    }
    if (newIdleMinutes != 0 && newIdleMinutes != idleMinutes)
        startIdleWatcher();
    return 0;
}
