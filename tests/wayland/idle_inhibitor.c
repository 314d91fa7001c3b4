/* The tests' video player: a small window that holds an idle inhibitor for
 * as long as it runs, as a player does while it plays. It says
 * "inhibits" on standard error once its window is shown with the inhibitor
 * on it. */
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include "idle-inhibit-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

static struct wl_compositor* compositor;
static struct wl_shm* shm;
static struct xdg_wm_base* base;
static struct zwp_idle_inhibit_manager_v1* inhibitors;
static struct wl_surface* surface;
static int configured;

static void OnGlobal(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                     uint32_t version) {
    (void)data;
    (void)version;
    if (strcmp(interface, wl_compositor_interface.name) == 0)
        compositor = wl_registry_bind(registry, name, &wl_compositor_interface, 1);
    else if (strcmp(interface, wl_shm_interface.name) == 0)
        shm = wl_registry_bind(registry, name, &wl_shm_interface, 1);
    else if (strcmp(interface, xdg_wm_base_interface.name) == 0)
        base = wl_registry_bind(registry, name, &xdg_wm_base_interface, 1);
    else if (strcmp(interface, zwp_idle_inhibit_manager_v1_interface.name) == 0)
        inhibitors = wl_registry_bind(registry, name, &zwp_idle_inhibit_manager_v1_interface, 1);
}
static void OnGlobalRemove(void* data, struct wl_registry* registry, uint32_t name) {
    (void)data;
    (void)registry;
    (void)name;
}
static const struct wl_registry_listener registryListener = {OnGlobal, OnGlobalRemove};

static void OnPing(void* data, struct xdg_wm_base* wmBase, uint32_t serial) {
    (void)data;
    xdg_wm_base_pong(wmBase, serial);
}
static const struct xdg_wm_base_listener baseListener = {OnPing};

static void OnConfigure(void* data, struct xdg_surface* xdgSurface, uint32_t serial) {
    (void)data;
    xdg_surface_ack_configure(xdgSurface, serial);
    configured = 1;
}
static const struct xdg_surface_listener surfaceListener = {OnConfigure};

int main(void) {
    struct wl_display* display = wl_display_connect(NULL);
    if (!display)
        return 1;
    wl_registry_add_listener(wl_display_get_registry(display), &registryListener, NULL);
    wl_display_roundtrip(display);
    if (!compositor || !shm || !base || !inhibitors) {
        fprintf(stderr, "idle_inhibitor: the compositor lacks a global it needs\n");
        return 1;
    }
    xdg_wm_base_add_listener(base, &baseListener, NULL);
    surface = wl_compositor_create_surface(compositor);
    struct xdg_surface* xdgSurface = xdg_wm_base_get_xdg_surface(base, surface);
    xdg_surface_add_listener(xdgSurface, &surfaceListener, NULL);
    xdg_toplevel_set_title(xdg_surface_get_toplevel(xdgSurface), "player");
    wl_surface_commit(surface);
    while (!configured && wl_display_dispatch(display) >= 0) {
    }
    // A grey frame of 64 x 64: a mapped window, which the inhibitor needs.
    const int size = 64, stride = size * 4, bytes = stride * size;
    int fd = memfd_create("frame", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, bytes) != 0)
        return 1;
    uint32_t* pixels = mmap(NULL, (size_t)bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (pixels == MAP_FAILED)
        return 1;
    for (int i = 0; i < size * size; i++)
        pixels[i] = 0x808080;
    struct wl_shm_pool* pool = wl_shm_create_pool(shm, fd, bytes);
    struct wl_buffer* buffer =
        wl_shm_pool_create_buffer(pool, 0, size, size, stride, WL_SHM_FORMAT_XRGB8888);
    zwp_idle_inhibit_manager_v1_create_inhibitor(inhibitors, surface);
    wl_surface_attach(surface, buffer, 0, 0);
    wl_surface_commit(surface);
    wl_display_roundtrip(display);
    fprintf(stderr, "inhibits\n");
    while (wl_display_dispatch(display) >= 0) {
    }
    return 0;
}
