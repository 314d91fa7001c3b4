// The camera keys: eight steps of the camera round the mobile and up and
// down, and the range the camera is kept in. Shared by every host, which
// maps its own key codes onto these. In a full-screen saver they are the
// input that does not end it; any other key, a click, or mouse travel
// beyond a threshold does.
#pragma once

#include <stdint.h>

enum CameraKey {
    CameraPageUp,   // 15 degrees up
    CameraPageDown, // 15 degrees down
    CameraEnd,      // 15 degrees round
    CameraHome,     // 15 degrees round the other way
    CameraLeft,     // 1 degree round the other way
    CameraUp,       // 1 degree up
    CameraRight,    // 1 degree round
    CameraDown,     // 1 degree down
};

// Clamps the latitude to [-85, 85] and wraps the longitude once each way
// towards [0, 360]: enough after any one key, and what a start position
// given from outside gets as well.
void KeepCameraInRange(int32_t& latitude, int32_t& longitude);

// A start given in any whole degrees (a page's URL): the longitude where as
// many whole turns bring it, within [0, 360); the latitude kept as above.
void KeepStartInRange(int32_t& latitude, int32_t& longitude);

// Moves the camera by one key's step and keeps it in range.
void TurnCamera(int32_t& latitude, int32_t& longitude, CameraKey key);

// The mouse travel that ends a full-screen saver, in pixels along either
// axis from where the saver first saw the pointer, unless the system says
// otherwise: the Windows saver's default for its registry value, and the
// page's threshold.
const uint32_t kDefaultMouseThreshold = 50;
