// Whether anybody can see the saver: the display's power state, from the
// system command that switches the monitor, from the display-state power
// notifications, and from the user: input the saver outlives, or the end of
// the password dialog, shows that somebody is looking, since older systems
// say nothing when input wakes the display. While the display is off the
// frames stop; the motion's clock runs on, so the first frame after it
// comes back is where it should be.
#pragma once

#include <windows.h>

// SC_MONITORPOWER's lParam: 1 low power, 2 off, -1 on.
void OnMonitorPower(LPARAM state);

// A key or a mouse button: the display is on.
void OnDisplaySeen();
// A mouse message: the display is on if the cursor travelled since it went
// off. The system makes mouse messages of no travel too, which prove nothing.
void OnCursorMessage();
// The password dialog ended, whatever its answer: somebody answered it, so
// the display is on, and every saver window is painted again where the
// dialog was.
void OnDialogEnded();

// Asks for the display-state notifications for the window (looked up by
// name: older systems have no such function). Safe where it is missing.
void ListenForDisplayPower(HWND window);
void StopListeningForDisplayPower();

// WM_POWERBROADCAST: true when it was a display-state change, now taken.
bool OnPowerBroadcast(WPARAM event, LPARAM data);
