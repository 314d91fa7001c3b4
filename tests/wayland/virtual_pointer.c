/* The tests' pointer: moves it and clicks through the compositor's virtual
 * pointer, one step after another, each seen by the compositor before the
 * next.
 *
 *   virtual_pointer (move DX DY | click | hold)...
 *
 * hold keeps the pointer until the process is killed: a seat of a headless
 * compositor has a pointer only while a virtual one exists.
 */
#include <linux/input-event-codes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <wayland-client.h>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

static struct zwlr_virtual_pointer_manager_v1* manager;
static struct wl_seat* seat;

static void OnGlobal(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                     uint32_t version) {
    (void)data;
    (void)version;
    if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        manager = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
    else if (strcmp(interface, wl_seat_interface.name) == 0 && !seat)
        seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
}
static void OnGlobalRemove(void* data, struct wl_registry* registry, uint32_t name) {
    (void)data;
    (void)registry;
    (void)name;
}
static const struct wl_registry_listener listener = {OnGlobal, OnGlobalRemove};

int main(int argc, char** argv) {
    struct wl_display* display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "virtual_pointer: no compositor\n");
        return 1;
    }
    struct wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, NULL);
    wl_display_roundtrip(display);
    if (!manager || !seat) {
        fprintf(stderr, "virtual_pointer: no virtual pointer manager or seat\n");
        return 1;
    }
    struct zwlr_virtual_pointer_v1* pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, seat);
    uint32_t time = 1;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "move") == 0 && i + 2 < argc) {
            double dx = atof(argv[i + 1]), dy = atof(argv[i + 2]);
            zwlr_virtual_pointer_v1_motion(pointer, time++, wl_fixed_from_double(dx),
                                           wl_fixed_from_double(dy));
            i += 2;
        } else if (strcmp(argv[i], "click") == 0) {
            zwlr_virtual_pointer_v1_button(pointer, time++, BTN_LEFT,
                                           WL_POINTER_BUTTON_STATE_PRESSED);
            zwlr_virtual_pointer_v1_frame(pointer);
            zwlr_virtual_pointer_v1_button(pointer, time++, BTN_LEFT,
                                           WL_POINTER_BUTTON_STATE_RELEASED);
        } else if (strcmp(argv[i], "hold") == 0) {
            wl_display_roundtrip(display);
            for (;;)
                pause();
        } else {
            fprintf(stderr, "virtual_pointer: what is %s?\n", argv[i]);
            return 1;
        }
        zwlr_virtual_pointer_v1_frame(pointer);
        if (wl_display_roundtrip(display) < 0)
            return 1;
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    zwlr_virtual_pointer_manager_v1_destroy(manager);
    wl_seat_destroy(seat);
    wl_registry_destroy(registry);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
