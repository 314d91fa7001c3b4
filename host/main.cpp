// The Windows entry point. The command line is read from the system, not
// from the argument, so that the program name is there to be skipped.
#include "host/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return SaverMain(instance);
}
