#include "scene/view.h"

#include <math.h>

#include "scene/dynamics.h"
#include "scene/gl_setup.h"
#include "scene/renderer.h"

bool ReshapeView(ViewProjection& projection, float fov, float znear, float zfar, int32_t left,
                 int32_t top, int32_t right, int32_t bottom) {
    if (projection.known && projection.left == left && projection.top == top &&
        projection.right == right && projection.bottom == bottom)
        return false;
    projection = ViewProjection{true, left, top, right, bottom};
    ApplyProjection(fov, znear, zfar, right - left, bottom - top);
    return true;
}

float WholeMobileFieldOfView(float fov, int32_t width, int32_t height) {
    if (height <= width || width <= 0)
        return fov;
    const double radians = 3.14159265358979323846 / 180;
    double half = atan(tan(fov * radians / 2) * height / width);
    return (float)(2 * half / radians);
}

bool ReshapeWholeView(ViewProjection& projection, float fov, float znear, float zfar, int32_t width,
                      int32_t height) {
    return ReshapeView(projection, WholeMobileFieldOfView(fov, width, height), znear, zfar, 0, 0,
                       width, height);
}

bool DrawViewFrame(Mobile& mobile, int32_t latitude, int32_t longitude) {
    UpdateAngles(mobile);
    return DrawMobileView(mobile, latitude, longitude);
}
