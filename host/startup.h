// The program proper: learns its name, reads what it was started to do,
// prepares the window classes and runs the mode's runner.
#pragma once

#include <windows.h>

int SaverMain(HINSTANCE instance);

// The saver's two window classes, "ScrMonitor" and "ScrClass", for
// host.instance. Tests that host saver windows register them through this.
void RegisterWindowClasses();
