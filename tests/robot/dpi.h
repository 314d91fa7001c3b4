// The display's DPI for tests: Wine's LogPixels in the test prefix, and a
// test program that sees other programs' windows in device pixels.
//
// Wine reads LogPixels when a process starts. A program started after
// SetLogPixels runs at the new DPI without restarting the wine server; a
// program already running (the test program itself) keeps the DPI it
// started with. Tests that change it hold ctest's "display" lock and put
// 96 back with a LogPixelsRestorer, so that no other test sees the change.
#pragma once

#include <windows.h>

namespace robot {

const DWORD kStandardDpi = 96;

// Writes LogPixels where Wine reads it: HKCU\Control Panel\Desktop (the
// system DPI) and HKCU\Software\Wine\Fonts (the fonts' resolution). True
// when both values read back as written.
bool SetLogPixels(DWORD dpi);

// Puts the standard DPI back when it goes out of scope, however the test
// ended; also at the start, in case an earlier run was killed midway.
struct LogPixelsRestorer {
    LogPixelsRestorer();
    ~LogPixelsRestorer();
};

// Makes this program per-monitor DPI aware (by name: systems before it lack
// the functions), so that it reads every window's rectangle in device pixels
// rather than scaled to its own DPI. True when the system took it.
bool SeeDevicePixels();

} // namespace robot
