// OpenGL and GLU for the renderer, on Windows and natively (Windows' own
// headers need windows.h first).
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif

#include <GL/gl.h>
#include <GL/glu.h>
