// The configuration and installation runners that start-up dispatches to.
#pragma once

#include <windows.h>

// The configuration property sheet, owned by `parent`.
void RunConfigSheet(HWND parent);

// Copies the program into the Windows directory as a saver and registers
// its uninstall entry; removes both again.
void InstallSaver();
void UninstallSaver();

// Finds or starts the external preview tool; the window to preview into, or
// null when that fails.
HWND LaunchPreviewTool();

// The window procedure of the MONITOR_CLASS class: the monitor picture.
LRESULT CALLBACK MonitorControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
