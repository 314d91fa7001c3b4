// The MONITOR_CLASS control: a picture of a monitor scaled to the control,
// either with a live saver inside its screen (empty window text) or with the
// four hot-corner boxes of the corners string in its window text.
#pragma once

#include <windows.h>

// The area query of the monitor control: wParam selects the area (0 the
// screen, 1 to 4 the corner boxes from top-left clockwise), lParam points to
// the RECT that receives it in client coordinates.
const UINT kMonitorAreaQuery = WM_APP;

// The MONITOR bitmap, one per process: loaded by the first monitor control
// that needs it, deleted by the sheet when it closes.
extern HBITMAP monitorBitmap;

// Loads monitorBitmap when it is not loaded yet.
void LoadMonitorBitmap();

// The control's window procedure.
LRESULT CALLBACK MonitorControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
