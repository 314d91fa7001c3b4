// Tells the running saver that the display went off (or came back), as the
// system does: WM_SYSCOMMAND with SC_MONITORPOWER to its primary window.
//
//   MonitorPower.exe 2|1|-1        (off, low power, on)
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include "host/startup.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: MonitorPower 2|1|-1\n");
        return 2;
    }
    // The primary is the first saver window made, so the last in z-order
    // among its own (the others it owns stay above it).
    HWND primary = nullptr;
    for (HWND window = FindWindowA(kSaverClassName, nullptr); window;
         window = FindWindowExA(nullptr, window, kSaverClassName, nullptr))
        if (GetWindowLongA(window, 0) == 0)
            primary = window;
    if (!primary) {
        fprintf(stderr, "MonitorPower: no saver window\n");
        return 1;
    }
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(primary, WM_SYSCOMMAND, SC_MONITORPOWER, (LPARAM)atoi(argv[1]),
                             SMTO_NORMAL, 30000, &result)) {
        fprintf(stderr, "MonitorPower: the saver did not answer\n");
        return 1;
    }
    return 0;
}
