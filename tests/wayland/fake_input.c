/* The tests' input on KWin, through its fake input, one step after another,
 * each seen by the compositor before the next.
 *
 *   fake_input (key CODE | move DX DY | click)...
 *
 * CODE is the kernel's key code (linux/input-event-codes.h): 45 is X.
 */
#include <linux/input-event-codes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wayland-client.h>

#include "fake-input-client-protocol.h"

static struct org_kde_kwin_fake_input* input;

static void OnGlobal(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                     uint32_t version) {
    (void)data;
    // Keys came in version 4.
    if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4)
        input = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4);
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
        fprintf(stderr, "fake_input: no compositor\n");
        return 1;
    }
    struct wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, NULL);
    wl_display_roundtrip(display);
    if (!input) {
        fprintf(stderr, "fake_input: the compositor offers no org_kde_kwin_fake_input 4\n");
        return 1;
    }
    org_kde_kwin_fake_input_authenticate(input, "fake_input", "the tests' input");
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "key") == 0 && i + 1 < argc) {
            uint32_t code = (uint32_t)atoi(argv[++i]);
            org_kde_kwin_fake_input_keyboard_key(input, code, WL_KEYBOARD_KEY_STATE_PRESSED);
            org_kde_kwin_fake_input_keyboard_key(input, code, WL_KEYBOARD_KEY_STATE_RELEASED);
        } else if (strcmp(argv[i], "move") == 0 && i + 2 < argc) {
            org_kde_kwin_fake_input_pointer_motion(input, wl_fixed_from_double(atof(argv[i + 1])),
                                                   wl_fixed_from_double(atof(argv[i + 2])));
            i += 2;
        } else if (strcmp(argv[i], "click") == 0) {
            org_kde_kwin_fake_input_button(input, BTN_LEFT, WL_POINTER_BUTTON_STATE_PRESSED);
            org_kde_kwin_fake_input_button(input, BTN_LEFT, WL_POINTER_BUTTON_STATE_RELEASED);
        } else {
            fprintf(stderr, "fake_input: what is %s?\n", argv[i]);
            return 1;
        }
        if (wl_display_roundtrip(display) < 0)
            return 1;
    }
    org_kde_kwin_fake_input_destroy(input);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return 0;
}
