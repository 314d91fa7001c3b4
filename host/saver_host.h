// The single process-wide host record and the modes the program runs in.
// Plain fields, read and written on the one GUI thread only.
#pragma once

#include <windows.h>

#include "mobile/table.h"

struct SaverScene;

enum SaverMode {
    ModeNone = 0,
    ModeConfig = 1,
    ModeChangePassword = 2,
    ModePreview = 3,
    ModeSaver = 4,
    ModeInstall = 5,
    ModeUninstall = 6,
};

// The system-wide screen-saver values shared by every saver, under the
// current user's "Screen Savers" key.
struct SystemSaverSettings {
    DWORD passwordDelay;       // seconds during which a close needs no password
    DWORD passwordDelayIndex;  // unit the General page shows it in: 0 seconds, 1 minutes
    DWORD mouseThreshold;      // pixels of travel along either axis that dismiss
    DWORD mouseThresholdIndex; // sensitivity choice of the General page
    DWORD muteSound;
    char mouseCorners[5];     // 'Y', 'N' or '-' per corner: top-left, top-right, bottom-right,
                              // bottom-left
    int32_t hotCornerService; // what the hot-corner agent's detection returned; 0 without one
};

// A monitor that a full-screen window is made for: where it was then, and
// the system's handle for it (null where the system names no monitors).
struct SaverMonitor {
    RECT rect;
    HMONITOR handle;
};

struct SaverHost {
    HINSTANCE instance;
    char saverName[260];
    SaverMode mode;

    DWORD startTick;              // when the full-screen windows were created
    POINT referenceCursor;        // mouse travel is measured from here
    Table<SaverMonitor> monitors; // primary first
    bool simulatedMonitors;       // monitors are parts of the one screen, for trying
    Table<SaverScene*> scenes;    // of the live saver windows, in creation order; null when gone

    bool closeRequested;     // a saver window asked itself to close
    bool dismissalSuspended; // password dialog up or display mode changing
    bool debugMode;          // the debug trace goes somewhere: relaxed full screen
    bool displayOff;         // the display is off or in low power: ticks draw nothing

    SystemSaverSettings settings;
    bool changeScreenMode; // the kSettingChangeScreenMode setting, as last read or chosen
};

extern SaverHost host;
