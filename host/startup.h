// The program proper: learns its name, reads what it was started to do,
// prepares the window classes and runs the mode's runner.
#pragma once

#include <windows.h>

#include "resources/resource.h"

int SaverMain(HINSTANCE instance);

// The class of the saver's own windows: full screen, preview, and the live
// preview of the monitor control.
const char kSaverClassName[] = "ScrClass";

// The saver's two window classes, MONITOR_CLASS (named by the dialog
// templates, hence in the resource header) and kSaverClassName, for
// host.instance. Tests that host saver windows register them through this.
void RegisterWindowClasses();
