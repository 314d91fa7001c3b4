// What the system sends a program that declares itself aware of the
// display's DPI. The headers of the oldest systems the saver runs on do not
// know these messages; the values are the platform's.
#pragma once

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif
#ifndef WM_DPICHANGED_AFTERPARENT
#define WM_DPICHANGED_AFTERPARENT 0x02E3
#endif
