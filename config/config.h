// The configuration sheet's pieces: its pages, the monitor control and the
// hyperlink controls. Start-up only needs config/runners.h; the rest is here
// for the tests and for the pieces to find one another.
#pragma once

#include <windows.h>

// The area query of the monitor control: wParam selects the area (0 the
// screen, 1 to 4 the corner boxes from top-left clockwise), lParam points to
// the RECT that receives it in client coordinates.
const UINT kMonitorAreaQuery = WM_APP;
// The system-menu command that opens the About box.
const UINT kAboutCommand = 3500;

// The MONITOR bitmap, one per process: loaded by the first monitor control
// that needs it, deleted by the sheet when it closes.
extern HBITMAP monitorBitmap;
// The sheet's small icon while the sheet is up.
extern HICON sheetIcon;
// The sheet window's own procedure, before ours took over.
extern WNDPROC previousSheetProc;

// Loads monitorBitmap when it is not loaded yet.
void LoadMonitorBitmap();

// The sheet and its pages.
int CALLBACK SheetCallback(HWND sheet, UINT message, LPARAM lParam);
LRESULT CALLBACK SheetWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK GeneralPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK OptionsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Makes static control `controlId` of the dialog a link to `target`: blue and
// underlined, a hand cursor, and a left click opens the target. Calling it
// again for the same control changes the target. The control's text becomes
// the target; set a shorter display text afterwards if wanted.
void MakeHyperlink(HWND dialog, int controlId, const char* target);
LRESULT CALLBACK LinkWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK LinkDialogWindowProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// What a hyperlink control carries (property "href_dat") and what its dialog
// carries for all its links (property "href_dlg"), each in a movable global
// memory block.
struct LinkData {
    HGLOBAL target; // movable block with the zero-terminated target text
    WNDPROC previous;
};
struct LinkDialogData {
    WNDPROC previous;
    HFONT font;   // underlined dialog font, made at the first colouring
    HBRUSH brush; // button face
};
