// The saver's windows and the program's only message loop: one child in the
// preview, or one top-level window per monitor, primary first, full screen.
#pragma once

#include <stdint.h>
#include <windows.h>

// Returns when the loop ends (the ending window posted the quit message) or
// when the window that would end it could not be created.
void RunSaverWindows(HWND parentWindow, bool simulateMonitors);

// EnumDisplayMonitors callback: the primary monitor (the one at 0, 0) goes
// to the front of host.monitors, every other one to the end.
BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC deviceContext, LPRECT monitorRectangle,
                             LPARAM data);

// Fills host.monitors: three rectangles on the primary screen when
// simulating, else every monitor with its handle, else the one screen.
void CollectMonitors(bool simulateMonitors);

// The rectangle a full-screen window should cover now: that of the monitor
// it was made for. A display-mode change since start (the faster mode, or
// the user's) moves the monitor's rectangle, so it is asked for again; a
// monitor that is gone, and simulated monitors, leave the rectangle the
// window was made with.
RECT CurrentMonitorRect(HWND window, int32_t windowIndex);

// Where the preview child lies in its parent: at 0, 0 with the size of the
// parent's window rectangle, so that it fills the parent exactly.
RECT PreviewArea(HWND parent);

// A preview child (window index -1) over `area` of `parent`: the whole of the
// preview parent, or the screen of the monitor control's picture.
HWND CreatePreviewWindow(HWND parent, const RECT& area);
