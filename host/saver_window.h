// The window procedure of every kSaverClassName window: it hosts the window's
// scene and, in the full-screen saver, enforces the dismissal rules.
#pragma once

#include <windows.h>

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// True for windows of the saver's own class, whose activation never
// dismisses the saver.
bool IsSaverWindow(HWND window);
