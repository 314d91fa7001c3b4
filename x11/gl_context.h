// The OpenGL context on the draw target.
#pragma once

#include <GL/glx.h>

#include "x11/window.h"

// Creates the context and makes it current on the target's window, with the
// fixed state every frame relies on. Prints one line and returns null when
// it cannot (drawTargetGone is then set if the window was destroyed).
GLXContext StartGlContext(DrawTarget& target);

void StopGlContext(DrawTarget& target, GLXContext context);
