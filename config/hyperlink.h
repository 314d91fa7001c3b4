// Hyperlink controls: a static text of any dialog becomes a blue, underlined
// link with a hand cursor that opens its target on a left click. Both the
// control and its dialog are subclassed; what they need hangs on them as
// window properties, so the dialog's own procedure needs no changes.
#pragma once

#include <windows.h>

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
