// GTK is loaded when the dialog is asked for, not linked: the saver, which a
// daemon may stop a few milliseconds after starting it, then takes its stop
// signals before the loader has mapped some seventy libraries it never uses.
// These are the functions the dialog and its preview call, by name, with
// their declared types (GDK's, cairo's and GLib's come in with GTK). The
// casting macros (GTK_WINDOW ...) call into GTK's type system, so the dialog
// casts its widgets plainly.
#pragma once
#include <gtk/gtk.h>

#include <string>

// clang-format off
#define ZELLIK_GTK_FUNCTIONS(F) \
    F(gtk_init_check) F(gtk_dialog_new) F(gtk_window_set_title) F(gtk_window_set_resizable) F(gtk_grid_new) \
    F(gtk_container_set_border_width) F(gtk_grid_set_row_spacing) F(gtk_grid_set_column_spacing) \
    F(gtk_check_button_new_with_label) F(gtk_toggle_button_set_active) F(gtk_toggle_button_get_active) \
    F(gtk_button_new_with_label) F(gtk_button_new_with_mnemonic) F(gtk_grid_attach) F(gtk_label_new) F(gtk_widget_set_halign) F(gtk_container_add) \
    F(gtk_dialog_get_content_area) F(g_signal_connect_data) F(gtk_widget_set_can_default) F(gtk_window_set_default) \
    F(gtk_widget_show_all) F(gtk_widget_grab_focus) F(gtk_dialog_run) F(gtk_dialog_response) F(gtk_widget_destroy) \
    F(gtk_events_pending) F(gtk_main_iteration) F(gtk_box_new) F(gtk_box_pack_start) \
    F(gtk_spin_button_new_with_range) F(gtk_spin_button_set_value) F(gtk_spin_button_set_numeric) \
    F(gtk_spin_button_update) F(gtk_spin_button_get_value_as_int) F(gtk_entry_set_activates_default) \
    F(gtk_widget_set_tooltip_text) F(gtk_label_new_with_mnemonic) F(gtk_label_set_mnemonic_widget) \
    F(g_settings_schema_source_get_default) F(g_settings_schema_source_lookup) F(g_settings_schema_has_key) \
    F(g_settings_new_full) F(g_settings_get_uint) F(g_settings_schema_unref) F(g_object_unref) \
    F(gtk_drawing_area_new) F(gtk_widget_set_size_request) F(gtk_widget_get_scale_factor) \
    F(gtk_widget_get_allocated_width) F(gtk_widget_get_allocated_height) F(gtk_widget_queue_draw) \
    F(gtk_widget_show) F(gtk_widget_hide) F(gtk_widget_set_no_show_all) F(gtk_widget_get_window) \
    F(gtk_widget_set_visible) F(gdk_window_get_state) F(g_source_new) F(g_source_attach) F(g_source_destroy) \
    F(g_source_unref) F(g_source_set_callback) F(g_source_set_ready_time) F(g_get_monotonic_time) \
    F(cairo_image_surface_create) F(cairo_image_surface_get_data) F(cairo_surface_flush) \
    F(cairo_surface_mark_dirty) F(cairo_surface_destroy) F(cairo_surface_status) \
    F(cairo_pattern_create_for_surface) F(cairo_pattern_set_matrix) F(cairo_pattern_destroy) F(cairo_set_source) \
    F(cairo_matrix_init) F(cairo_paint)
// clang-format on

struct GtkFunctions {
// NOLINTNEXTLINE(bugprone-macro-parentheses): the name is declared, not an expression
#define ZELLIK_GTK_SLOT(name) decltype(&::name) name = nullptr;
    ZELLIK_GTK_FUNCTIONS(ZELLIK_GTK_SLOT)
#undef ZELLIK_GTK_SLOT
};

extern GtkFunctions gtk;

// False (and why in error) when GTK 3 cannot be loaded.
bool loadGtk(std::string* error);

template <typename T> T* as(GtkWidget* widget) {
    return reinterpret_cast<T*>(widget);
}
