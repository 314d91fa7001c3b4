#include "scene/camera.h"

void KeepCameraInRange(int32_t& latitude, int32_t& longitude) {
    // Short of the poles, where the camera's up direction would flip.
    if (latitude > 85)
        latitude = 85;
    if (latitude < -85)
        latitude = -85;
    if (longitude > 360)
        longitude -= 360;
    if (longitude < 0)
        longitude += 360;
}

void KeepStartInRange(int32_t& latitude, int32_t& longitude) {
    longitude %= 360; // within (-360, 360): one wrap is enough after it
    KeepCameraInRange(latitude, longitude);
}

void TurnCamera(int32_t& latitude, int32_t& longitude, CameraKey key) {
    switch (key) {
    case CameraPageUp:
        latitude -= 15;
        break;
    case CameraPageDown:
        latitude += 15;
        break;
    case CameraEnd:
        longitude += 15;
        break;
    case CameraHome:
        longitude -= 15;
        break;
    case CameraLeft:
        longitude -= 1;
        break;
    case CameraUp:
        latitude -= 1;
        break;
    case CameraRight:
        longitude += 1;
        break;
    case CameraDown:
        latitude += 1;
        break;
    }
    KeepCameraInRange(latitude, longitude);
}
