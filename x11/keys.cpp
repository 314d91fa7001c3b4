#include "x11/keys.h"

#include <X11/keysym.h>

KeyAction ActionOfKey(KeySym symbol, CameraKey& key) {
    static const struct {
        KeySym symbol;
        KeySym keypad;
        CameraKey key;
    } keys[] = {
        {XK_Page_Up, XK_KP_Page_Up, CameraPageUp},
        {XK_Page_Down, XK_KP_Page_Down, CameraPageDown},
        {XK_End, XK_KP_End, CameraEnd},
        {XK_Home, XK_KP_Home, CameraHome},
        {XK_Left, XK_KP_Left, CameraLeft},
        {XK_Up, XK_KP_Up, CameraUp},
        {XK_Right, XK_KP_Right, CameraRight},
        {XK_Down, XK_KP_Down, CameraDown},
    };
    for (const auto& entry : keys) {
        if (symbol == entry.symbol || symbol == entry.keypad) {
            key = entry.key;
            return KeyTurnsCamera;
        }
    }
    if (symbol == XK_q || symbol == XK_Q || symbol == XK_Escape)
        return KeyCloses;
    return KeyIgnored;
}
