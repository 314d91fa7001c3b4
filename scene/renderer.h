// Draws a Mobile with fixed-function OpenGL into the current context:
// clear, camera on a sphere around the aim point, every item turned about
// its string, strings as two crossed quads, shapes played back as recorded.
#pragma once

#include "mobile/mobile.h"
#include "scene/gl.h"

// Plays one recorded shape back, one OpenGL call per command.
void DrawShape(const ShapeList& shape);

// Draws item n, its string, its shape and everything hanging from it,
// relative to the current model-view matrix (origin at the hanging point).
void DrawItem(const Mobile& mobile, int32_t n);

// Draws and shows one whole frame. The context must be current on `dc` and
// the projection matrix must hold the perspective projection.
void DrawMobileFrame(const Mobile& mobile, int32_t latitude, int32_t longitude, HDC dc);

// The camera's eye for the given angles (whole degrees), as gluLookAt gets it.
void CameraEye(const Mobile& mobile, int32_t latitude, int32_t longitude, double eye[3]);
