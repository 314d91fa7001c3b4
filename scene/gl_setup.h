// The OpenGL state every drawing relies on, shared by the saver's context
// start-up and the off-screen snapshot tool.
#pragma once

#include <stdint.h>

// The fixed state, set once per context: depth test (less-or-equal), smooth
// shading; blending and the alpha test have their functions set but stay off.
void SetFixedGlState();

// Viewport and perspective projection for a drawing area of the given size.
// Leaves the matrix mode at the projection matrix.
void ApplyProjection(float fov, float znear, float zfar, int32_t width, int32_t height);
