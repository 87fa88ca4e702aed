#include "host/linux/gtk_functions.h"

#include <dlfcn.h>

GtkFunctions gtk;

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
