// The keys of a Linux host's own window: the eight camera keys and the two
// that close it, by keysym, the numbers X11 and xkbcommon share.
#pragma once

#include <stdint.h>

#include "scene/camera.h"

enum KeyAction {
    KeyIgnored,
    KeyTurnsCamera,
    KeyCloses,
};

// What a key does; for KeyTurnsCamera also which camera key it is. The
// keypad's arrows and the rest count as well, with or without Num Lock.
KeyAction ActionOfKey(uint32_t keysym, CameraKey& key);
