// OpenGL and GLU for the renderer, on Windows and natively. Natively the
// device context is an opaque handle and SwapBuffers is supplied by whoever
// links the renderer (the off-screen snapshot tool, or a recording stand-in
// in tests).
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
typedef void* HDC;
int SwapBuffers(HDC dc);
#endif

#include <GL/gl.h>
#include <GL/glu.h>
