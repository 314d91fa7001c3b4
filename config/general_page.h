// The General page: hot corners on the monitor control, mouse sensitivity,
// password delay and the faster screen mode. It edits the system-wide saver
// values and saves them, with the saver's own ChangeScreenMode, on OK.
#pragma once

#include <windows.h>

INT_PTR CALLBACK GeneralPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
