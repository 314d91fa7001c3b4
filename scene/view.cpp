#include "scene/view.h"

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

bool DrawViewFrame(Mobile& mobile, int32_t latitude, int32_t longitude) {
    UpdateAngles(mobile);
    return DrawMobileView(mobile, latitude, longitude);
}
