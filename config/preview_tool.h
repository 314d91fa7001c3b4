// Finds, or starts, the external preview tool ("Scrprev") and hands back the
// child window it offers for a saver's preview.
#pragma once

#include <windows.h>

// The window to preview into, or null when the tool cannot be found or
// started.
HWND LaunchPreviewTool();
