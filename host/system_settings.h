// The system-wide screen-saver values (host.settings), the hot-corner agent
// that is told when they change, and the 9x family's own password check and
// change. Optional libraries are loaded by name around each use.
#pragma once

#include <windows.h>

// Defaults, then the values under the current user's "Screen Savers" key,
// then asks the hot-corner agent whether it is there. Run once at start-up.
void LoadSystemSaverSettings();

// Writes every value back and tells the hot-corner agent.
void SaveSystemSaverSettings();

// The platform the system reports: VER_PLATFORM_WIN32_WINDOWS for the 9x
// family, VER_PLATFORM_WIN32_NT for the NT family, 0 when it reports none.
// Only the 9x family leaves the password to the saver.
DWORD WindowsPlatform();

// True when the saver may close: no password needed, or it was given.
bool VerifySaverPassword(HWND window);

// The system's dialog for changing the screen-saver password.
void ChangeSaverPassword(HWND window);
