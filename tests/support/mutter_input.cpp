// zellik-mutter-input: input for a headless mutter through its remote-desktop
// interface, which counts as the user's own. A remote-desktop session lives
// as long as the connection that made it, so this stays running: it prints
// "ready" once the session has started, then reads one command a line from
// stdin: "key", a press and release of A. It ends at end of input.
#include <gio/gio.h>

#include <cstdio>
#include <cstring>

namespace {

const char kName[] = "org.gnome.Mutter.RemoteDesktop";

bool call(GDBusConnection* bus, const char* path, const char* interface, const char* method,
          GVariant* parameters, GVariant** reply) {
    GError* error = nullptr;
    GVariant* result = g_dbus_connection_call_sync(bus, kName, path, interface, method, parameters, nullptr,
                                                   G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, &error);
    if (result == nullptr) {
        std::fprintf(stderr, "zellik-mutter-input: %s: %s\n", method, error->message);
        g_error_free(error);
        return false;
    }
    if (reply != nullptr)
        *reply = result;
    else
        g_variant_unref(result);
    return true;
}

} // namespace

int main() {
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    GVariant* reply = nullptr;
    if (bus == nullptr ||
        !call(bus, "/org/gnome/Mutter/RemoteDesktop", kName, "CreateSession", nullptr, &reply))
        return 1;
    const char* path = nullptr;
    g_variant_get(reply, "(&o)", &path);
    const char* session = "org.gnome.Mutter.RemoteDesktop.Session";
    if (!call(bus, path, session, "Start", nullptr, nullptr))
        return 1;
    std::puts("ready");
    std::fflush(stdout);
    char line[64];
    while (std::fgets(line, sizeof line, stdin) != nullptr) {
        bool ok = true;
        if (std::strncmp(line, "key", 3) == 0) {
            ok =
                call(bus, path, session, "NotifyKeyboardKeycode", g_variant_new("(ub)", 30u, TRUE),
                     nullptr) &&
                call(bus, path, session, "NotifyKeyboardKeycode", g_variant_new("(ub)", 30u, FALSE), nullptr);
        }
        std::puts(ok ? "done" : "failed");
        std::fflush(stdout);
    }
    g_variant_unref(reply);
    g_object_unref(bus);
    return 0;
}
