/* The tests' GNOME: a compositor that offers a wl_compositor and, when told,
 * the layer shell, but no shell for windows and no idle protocol. Enough
 * for a client to look at its globals and find what it lacks.
 *
 *   bare_compositor SOCKET [layer-shell]
 * Says "ready" on standard error once clients can connect. */
#include <stdio.h>
#include <string.h>
#include <wayland-server.h>

#include "wlr-layer-shell-unstable-v1-client-protocol.h"

/* Binding makes the object; no request on it is ever answered. */
static void Bind(struct wl_client* client, void* data, uint32_t version, uint32_t id) {
    const struct wl_interface* interface = data;
    wl_resource_create(client, interface, (int)version, id);
}

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    struct wl_display* display = wl_display_create();
    if (!display || wl_display_add_socket(display, argv[1]) != 0) {
        fprintf(stderr, "bare_compositor: cannot open the socket %s\n", argv[1]);
        return 1;
    }
    wl_global_create(display, &wl_compositor_interface, 4, (void*)&wl_compositor_interface, Bind);
    if (argc > 2 && strcmp(argv[2], "layer-shell") == 0)
        wl_global_create(display, &zwlr_layer_shell_v1_interface, 1,
                         (void*)&zwlr_layer_shell_v1_interface, Bind);
    fprintf(stderr, "ready\n");
    wl_display_run(display);
    wl_display_destroy(display);
    return 0;
}
