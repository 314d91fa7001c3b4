#include "linux/keys.h"

KeyAction ActionOfKey(uint32_t keysym, CameraKey& key) {
    // The keysyms, as X11's keysymdef.h and xkbcommon both number them.
    static const struct {
        uint32_t keysym;
        uint32_t keypad;
        CameraKey key;
    } keys[] = {
        {0xff55, 0xff9a, CameraPageUp},   // Page_Up, KP_Page_Up
        {0xff56, 0xff9b, CameraPageDown}, // Page_Down, KP_Page_Down
        {0xff57, 0xff9c, CameraEnd},      // End, KP_End
        {0xff50, 0xff95, CameraHome},     // Home, KP_Home
        {0xff51, 0xff96, CameraLeft},     // Left, KP_Left
        {0xff52, 0xff97, CameraUp},       // Up, KP_Up
        {0xff53, 0xff98, CameraRight},    // Right, KP_Right
        {0xff54, 0xff99, CameraDown},     // Down, KP_Down
    };
    for (const auto& entry : keys) {
        if (keysym == entry.keysym || keysym == entry.keypad) {
            key = entry.key;
            return KeyTurnsCamera;
        }
    }
    const uint32_t q = 0x71, Q = 0x51, escape = 0xff1b;
    if (keysym == q || keysym == Q || keysym == escape)
        return KeyCloses;
    return KeyIgnored;
}
