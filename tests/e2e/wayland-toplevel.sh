# Full screen as xdg toplevels (--toplevel), where the overlay layer is offered too.
WAYLAND_PATH=toplevel
. "$here/wayland.sh"
