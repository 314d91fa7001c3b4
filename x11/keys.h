// The keys of our own window: the eight camera keys and the two that close it.
#pragma once

#include <X11/Xlib.h>

#include "scene/camera.h"

enum KeyAction {
    KeyIgnored,
    KeyTurnsCamera,
    KeyCloses,
};

// What a key does; for KeyTurnsCamera also which camera key it is. The
// keypad's arrows and the rest count as well, with or without Num Lock.
KeyAction ActionOfKey(KeySym symbol, CameraKey& key);
