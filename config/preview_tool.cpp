#include "config/preview_tool.h"

#include <windows.h>

#include "host/trace.h"

static const char kToolClassName[] = "Scrprev"; // the tool's main window

HWND LaunchPreviewTool() {
    HWND tool = FindWindowA(kToolClassName, nullptr);
    if (!tool) {
        char command[] = "Scrprev"; // CreateProcess may write to its command line
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE,
                            CREATE_NEW_PROCESS_GROUP | CREATE_DEFAULT_ERROR_MODE, nullptr, nullptr,
                            &startup, &process)) {
            Trace("Error creating scrprev process");
            return nullptr;
        }
        DWORD waited = WaitForInputIdle(process.hProcess, 2000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        if (waited == WAIT_TIMEOUT) {
            Trace("Scrprev never becomes idle");
            return nullptr;
        }
        if (waited == WAIT_FAILED) {
            Trace("ScrPrev, misc error after ScrPrev execution");
            return nullptr;
        }
        tool = FindWindowA(kToolClassName, nullptr);
        if (!tool) {
            Trace("Unable to find Scrprev window");
            return nullptr;
        }
    }
    SetForegroundWindow(tool);
    HWND child = GetWindow(tool, GW_CHILD);
    if (!child)
        Trace("Couldn't find Scrprev child");
    return child;
}
