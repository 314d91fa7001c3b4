// The configuration sheet: the General and Options pages, opened on Options
// so the live preview shows first, with "About..." in its system menu.
#pragma once

#include <windows.h>

// The system-menu command that opens the About box.
const UINT kAboutCommand = 3500;

// The sheet's small icon while the sheet is up.
extern HICON sheetIcon;
// The sheet window's own procedure, before ours took over.
extern WNDPROC previousSheetProc;

// The configuration property sheet, owned by `parent`.
void RunConfigSheet(HWND parent);

// The sheet's callback and window procedure, the Options page, the About box.
int CALLBACK SheetCallback(HWND sheet, UINT message, LPARAM lParam);
LRESULT CALLBACK SheetWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK OptionsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
