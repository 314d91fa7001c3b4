// Whether anybody can see the saver: the display's power state, from the
// system command that switches the monitor and from the display-state power
// notification. While the display is off the frames stop; the motion's clock
// runs on, so the first frame after it comes back is where it should be.
#pragma once

#include <windows.h>

// SC_MONITORPOWER's lParam: 1 low power, 2 off, -1 on.
void OnMonitorPower(LPARAM state);

// Asks for the display-state notification for the window (looked up by
// name: older systems have no such function). Safe where it is missing.
void ListenForDisplayPower(HWND window);
void StopListeningForDisplayPower();

// WM_POWERBROADCAST: true when it was a display-state change, now taken.
bool OnPowerBroadcast(WPARAM event, LPARAM data);
