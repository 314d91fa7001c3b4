// The program proper: learns its name, reads what it was started to do,
// prepares the window classes and runs the mode's runner.
#pragma once

#include <windows.h>

int SaverMain(HINSTANCE instance);
