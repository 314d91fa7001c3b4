// What every host shows, written once: the mobile seen from the camera, a
// frame every 50 ms, and the projection kept to the drawing area. A host
// owns its window, its context and its buffer swap; the rest is here.
#pragma once

#include <stdint.h>

#include "mobile/mobile.h"

// The camera's start when nothing says otherwise, in degrees: a little
// above the mobile, looking at it from the front.
const int32_t kDefaultLatitude = 20;
const int32_t kDefaultLongitude = 0;

// Twenty frames a second: the motion is slow, and a still picture costs
// nothing between them.
const uint32_t kFrameMilliseconds = 50;

// The drawing area the viewport and projection were last set for.
struct ViewProjection {
    bool known; // false: set them for whatever area comes next
    int32_t left, top, right, bottom;
};

// Sets the viewport and the perspective projection for the area, unless
// they were last set for this very area. Returns whether it set them. Leaves
// the matrix mode at the projection matrix. `fov` is the vertical field of
// view whatever the area's shape: the Windows saver's projection.
bool ReshapeView(ViewProjection& projection, float fov, float znear, float zfar, int32_t left,
                 int32_t top, int32_t right, int32_t bottom);

// The vertical field of view, in degrees, that shows the whole mobile in an
// area of this size: the description's `fov` where the area is at least as
// wide as tall, and where it is taller, the one that makes `fov` the
// horizontal field, so that the mobile fits the narrow side.
float WholeMobileFieldOfView(float fov, int32_t width, int32_t height);

// ReshapeView with WholeMobileFieldOfView: every host but the Windows saver.
bool ReshapeWholeView(ViewProjection& projection, float fov, float znear, float zfar, int32_t width,
                      int32_t height);

// One frame into the current context, not yet shown: the angles for now,
// then the whole picture. The host swaps the buffers. Returns false when
// the mobile was too costly to draw whole (DrawMobileView); a host says so
// once per mobile, in these words.
bool DrawViewFrame(Mobile& mobile, int32_t latitude, int32_t longitude);
const char kDrawingCutMessage[] =
    "too much to draw: items hang in so many places that each frame draws only part of the mobile";
