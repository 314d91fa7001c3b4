// What the program was started to do, read from its module path and its raw
// command line (the display settings start a saver with one-letter switches).
#pragma once

#include <windows.h>

#include "host/saver_host.h"

struct StartRequest {
    SaverMode mode;
    HWND window;             // parent for configuration and preview, owner for the password change
    bool simulateMonitors;   // "sm": three monitors on the primary screen
    bool parentIsForeground; // "c" with nothing after it: the foreground window is the parent
    bool launchPreviewTool;  // "p scrprev": preview into the external preview tool
};

StartRequest ReadCommandLine(const char* modulePath, const char* commandLine);
