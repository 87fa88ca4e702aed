#include "host/linux/config_dialog_gtk.h"
#include "host/linux/idle_start.h"
#include "host/linux/settings_file.h"

#include <dlfcn.h>
#include <gtk/gtk.h>

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// GTK is loaded when the dialog is asked for, not linked: the saver, which a
// daemon may stop a few milliseconds after starting it, then takes its stop
// signals before the loader has mapped some seventy libraries it never uses.
// The functions the dialog calls, by name, with their declared types. The
// casting macros (GTK_WINDOW ...) call into GTK's type system, so the
// dialog casts its widgets plainly.
// clang-format off
#define ZELLIK_GTK_FUNCTIONS(F) \
    F(gtk_init_check) F(gtk_dialog_new) F(gtk_window_set_title) F(gtk_window_set_resizable) F(gtk_grid_new) \
    F(gtk_container_set_border_width) F(gtk_grid_set_row_spacing) F(gtk_grid_set_column_spacing) \
    F(gtk_check_button_new_with_label) F(gtk_toggle_button_set_active) F(gtk_toggle_button_get_active) \
    F(gtk_button_new_with_label) F(gtk_grid_attach) F(gtk_label_new) F(gtk_widget_set_halign) F(gtk_container_add) \
    F(gtk_dialog_get_content_area) F(g_signal_connect_data) F(gtk_widget_set_can_default) F(gtk_window_set_default) \
    F(gtk_widget_show_all) F(gtk_widget_grab_focus) F(gtk_dialog_run) F(gtk_dialog_response) F(gtk_widget_destroy) \
    F(gtk_events_pending) F(gtk_main_iteration) F(gtk_box_new) F(gtk_box_pack_start) \
    F(gtk_spin_button_new_with_range) F(gtk_spin_button_set_value) F(gtk_spin_button_set_numeric) \
    F(gtk_spin_button_update) F(gtk_spin_button_get_value_as_int) F(gtk_entry_set_activates_default) \
    F(gtk_widget_set_tooltip_text) F(gtk_label_new_with_mnemonic) F(gtk_label_set_mnemonic_widget) \
    F(g_settings_schema_source_get_default) F(g_settings_schema_source_lookup) F(g_settings_schema_has_key) \
    F(g_settings_new_full) F(g_settings_get_uint) F(g_settings_schema_unref) F(g_object_unref)
// clang-format on

struct GtkFunctions {
// NOLINTNEXTLINE(bugprone-macro-parentheses): the name is declared, not an expression
#define ZELLIK_GTK_SLOT(name) decltype(&::name) name = nullptr;
    ZELLIK_GTK_FUNCTIONS(ZELLIK_GTK_SLOT)
#undef ZELLIK_GTK_SLOT
};

GtkFunctions gtk;

// False (and why in error) when GTK 3 cannot be loaded.
bool loadGtk(std::string* error) {
    void* library = dlopen("libgtk-3.so.0", RTLD_NOW | RTLD_LOCAL);
    const char* missing = nullptr;
#define ZELLIK_GTK_LOAD(name)                                                                                \
    if (library != nullptr && missing == nullptr) {                                                          \
        gtk.name = reinterpret_cast<decltype(&::name)>(dlsym(library, #name));                               \
        missing = gtk.name == nullptr ? #name : nullptr;                                                     \
    }
    ZELLIK_GTK_FUNCTIONS(ZELLIK_GTK_LOAD)
#undef ZELLIK_GTK_LOAD
    if (library == nullptr || missing != nullptr) {
        const char* why = dlerror();
        *error = std::string("the settings dialog needs GTK 3: ") + (why != nullptr ? why : "no library");
        return false;
    }
    return true;
}

template <typename T> T* as(GtkWidget* widget) {
    return reinterpret_cast<T*>(widget);
}
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

    // The Windows layout: the check box and the texts on the left, the two
    // push buttons stacked on the right.
    GtkWidget* grid = gtk.gtk_grid_new();
    gtk.gtk_container_set_border_width(as<GtkContainer>(grid), 12);
    gtk.gtk_grid_set_row_spacing(as<GtkGrid>(grid), 6);
    gtk.gtk_grid_set_column_spacing(as<GtkGrid>(grid), 24);
    GtkWidget* mirrors = gtk.gtk_check_button_new_with_label("Use Mirrors");
    gtk.gtk_toggle_button_set_active(as<GtkToggleButton>(mirrors), settings->useMirrors != 0);
    GtkWidget* ok = gtk.gtk_button_new_with_label("OK");
    GtkWidget* cancel = gtk.gtk_button_new_with_label("Cancel");
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
    gtk.gtk_grid_attach(as<GtkGrid>(grid), mirrors, 0, 0, 1, 1);
    gtk.gtk_grid_attach(as<GtkGrid>(grid), ok, 1, 0, 1, 1);
    gtk.gtk_grid_attach(as<GtkGrid>(grid), idleRow, 0, 1, 1, 1);
    gtk.gtk_grid_attach(as<GtkGrid>(grid), cancel, 1, 1, 1, 1);
    int row = 2;
    // GNOME's own blanking comes first when it is sooner: say so, with its time.
    if (const uint32_t gnome = gnomeIdleDelay(); gnome > 0) {
        char note[160];
        std::snprintf(note, sizeof note,
                      "GNOME blanks the screen after %u minute%s:\nset a shorter time to see Zellik.",
                      (gnome + 59) / 60, (gnome + 59) / 60 == 1 ? "" : "s");
        gtk.gtk_grid_attach(as<GtkGrid>(grid), leftLabel(note), 0, row++, 2, 1);
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
