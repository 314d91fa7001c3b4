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

// Draws one whole frame into the current context without showing it. The
// projection matrix must hold the perspective projection.
void DrawMobileView(const Mobile& mobile, int32_t latitude, int32_t longitude);

#ifdef _WIN32
// Draws and shows one whole frame: the view, then the buffer swap. The
// context must be current on `dc`.
void DrawMobileFrame(const Mobile& mobile, int32_t latitude, int32_t longitude, HDC dc);
#endif

// The camera's eye for the given angles (whole degrees), as gluLookAt gets it.
void CameraEye(const Mobile& mobile, int32_t latitude, int32_t longitude, double eye[3]);
