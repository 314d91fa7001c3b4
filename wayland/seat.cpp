// The seat's keyboard (through xkbcommon, for keysyms) and pointer. The
// camera keys turn the camera everywhere; in the window q and Escape close
// it; full screen, any other key, a button or travel beyond the threshold
// is the input that ends it.
#include <linux/input-event-codes.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

#include "linux/keys.h"
#include "scene/camera.h"
#include "wayland/client.h"

namespace {

// The first input that ends full screen is the one said.
void EndWith(Client& client, const char* input) {
    if (!client.endingInput)
        client.endingInput = input;
}

void OnKeymap(void* data, wl_keyboard*, uint32_t format, int32_t fd, uint32_t size) {
    Client& client = *(Client*)data;
    if (format != WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1) {
        close(fd);
        return;
    }
    void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    close(fd);
    if (text == MAP_FAILED)
        return;
    xkb_keymap* keymap =
        xkb_keymap_new_from_buffer(client.xkb, (const char*)text, size - 1,
                                   XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
    munmap(text, size);
    if (!keymap)
        return;
    xkb_state* state = xkb_state_new(keymap);
    xkb_state_unref(client.keyState);
    xkb_keymap_unref(client.keymap);
    client.keymap = keymap;
    client.keyState = state;
}

void OnKeyboardEnter(void* data, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {
    Client& client = *(Client*)data;
    if (client.options->verbose)
        Say("has the keyboard");
}

void OnKeyboardLeave(void*, wl_keyboard*, uint32_t, wl_surface*) {}

void OnKey(void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t key, uint32_t state) {
    Client& client = *(Client*)data;
    if (state != WL_KEYBOARD_KEY_STATE_PRESSED || !client.keyState)
        return;
    // xkbcommon's key codes are the kernel's plus 8, as X11's are.
    xkb_keysym_t keysym = xkb_state_key_get_one_sym(client.keyState, key + 8);
    CameraKey cameraKey;
    KeyAction action = ActionOfKey(keysym, cameraKey);
    if (action == KeyTurnsCamera)
        TurnCamera(client.latitude, client.longitude, cameraKey);
    else if (client.options->mode != ModeWindow)
        EndWith(client, "a key");
    else if (action == KeyCloses)
        client.ending = true;
}

void OnModifiers(void* data, wl_keyboard*, uint32_t, uint32_t depressed, uint32_t latched,
                 uint32_t locked, uint32_t group) {
    Client& client = *(Client*)data;
    if (client.keyState)
        xkb_state_update_mask(client.keyState, depressed, latched, locked, 0, 0, group);
}

void OnRepeatInfo(void*, wl_keyboard*, int32_t, int32_t) {}

const wl_keyboard_listener kKeyboardListener = {OnKeymap, OnKeyboardEnter, OnKeyboardLeave,
                                                OnKey,    OnModifiers,     OnRepeatInfo};

// Full screen only: the pointer is hidden over the saver and its travel
// counts from where it was first seen; into the surface of another output
// is travel too.
void OnPointerEnter(void* data, wl_pointer* pointer, uint32_t serial, wl_surface* surface,
                    wl_fixed_t x, wl_fixed_t y) {
    Client& client = *(Client*)data;
    if (client.options->mode == ModeWindow)
        return;
    wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
    PointerOrigin& origin = client.pointerOrigin;
    if (!origin.known)
        origin = PointerOrigin{true, surface, wl_fixed_to_double(x), wl_fixed_to_double(y)};
    else if (origin.surface != surface)
        EndWith(client, "pointer travel");
}

void OnPointerLeave(void*, wl_pointer*, uint32_t, wl_surface*) {}

void OnMotion(void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
    Client& client = *(Client*)data;
    const PointerOrigin& origin = client.pointerOrigin;
    if (client.options->mode == ModeWindow || !origin.known)
        return;
    double threshold = kDefaultMouseThreshold;
    if (abs((int)(wl_fixed_to_double(x) - origin.x)) > threshold ||
        abs((int)(wl_fixed_to_double(y) - origin.y)) > threshold)
        EndWith(client, "pointer travel");
}

void OnButton(void* data, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t state) {
    Client& client = *(Client*)data;
    if (client.options->mode != ModeWindow && state == WL_POINTER_BUTTON_STATE_PRESSED)
        EndWith(client, "a button");
}

void OnAxis(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {}
void OnFrame(void*, wl_pointer*) {}
void OnAxisSource(void*, wl_pointer*, uint32_t) {}
void OnAxisStop(void*, wl_pointer*, uint32_t, uint32_t) {}
void OnAxisDiscrete(void*, wl_pointer*, uint32_t, int32_t) {}

const wl_pointer_listener kPointerListener = {
    OnPointerEnter, OnPointerLeave, OnMotion,   OnButton,       OnAxis,
    OnFrame,        OnAxisSource,   OnAxisStop, OnAxisDiscrete, nullptr};

} // namespace

void UpdateSeatDevices(Client& client, uint32_t capabilities) {
    bool keyboard = capabilities & WL_SEAT_CAPABILITY_KEYBOARD;
    bool pointer = capabilities & WL_SEAT_CAPABILITY_POINTER;
    if (keyboard && !client.keyboard) {
        if (!client.xkb)
            client.xkb = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
        client.keyboard = wl_seat_get_keyboard(client.seat);
        wl_keyboard_add_listener(client.keyboard, &kKeyboardListener, &client);
    } else if (!keyboard && client.keyboard) {
        wl_keyboard_destroy(client.keyboard);
        client.keyboard = nullptr;
    }
    if (pointer && !client.pointer) {
        client.pointer = wl_seat_get_pointer(client.seat);
        wl_pointer_add_listener(client.pointer, &kPointerListener, &client);
    } else if (!pointer && client.pointer) {
        wl_pointer_destroy(client.pointer);
        client.pointer = nullptr;
    }
}

void ReleaseSeat(Client& client) {
    UpdateSeatDevices(client, 0);
    if (client.seat)
        wl_seat_destroy(client.seat);
    client.seat = nullptr;
    xkb_state_unref(client.keyState);
    xkb_keymap_unref(client.keymap);
    xkb_context_unref(client.xkb);
    client.keyState = nullptr;
    client.keymap = nullptr;
    client.xkb = nullptr;
}
