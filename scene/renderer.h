// Draws a Mobile with fixed-function OpenGL into the current context:
// clear, camera on a sphere around the aim point, every item turned about
// its string, strings as two crossed quads, shapes played back as recorded.
#pragma once

#include "mobile/mobile.h"
#include "scene/gl.h"

// Plays one recorded shape back, one OpenGL call per command.
void DrawShape(const ShapeList& shape);

// The most a frame of `mobile` may cost, in OpenGL calls (an item costs
// sixteen and one per command of its shape): the cost of drawing each
// defined item once, or more when that is little. A tree in which every item
// hangs in one place is always drawn whole; one that hangs the same items in
// ever more places is drawn as far as this goes.
uint64_t DrawBudget(const Mobile& mobile);

// Draws item n, its string, its shape and everything hanging from it,
// relative to the current model-view matrix (origin at the hanging point).
// Returns false when the budget cut the drawing short (or the walk had no
// memory to start): the items up to the cut are drawn, the rest not.
bool DrawItem(const Mobile& mobile, int32_t n);

// Draws one whole frame into the current context without showing it. The
// projection matrix must hold the perspective projection. Returns false
// when only part of the mobile could be drawn (DrawItem).
bool DrawMobileView(const Mobile& mobile, int32_t latitude, int32_t longitude);

// The camera's eye for the given angles (whole degrees), as gluLookAt gets it.
void CameraEye(const Mobile& mobile, int32_t latitude, int32_t longitude, double eye[3]);
