#include "host/startup.h"

#include <commctrl.h>

#include "config/config_sheet.h"
#include "config/install.h"
#include "config/monitor_control.h"
#include "config/preview_tool.h"
#include "host/command_line.h"
#include "host/saver_host.h"
#include "host/saver_window.h"
#include "host/saver_windows.h"
#include "host/system_settings.h"

void RegisterWindowClasses() {
    WNDCLASSA windowClass = {};
    windowClass.hInstance = host.instance;
    windowClass.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    windowClass.lpszClassName = MONITOR_CLASS;
    windowClass.lpfnWndProc = MonitorControlProc;
    RegisterClassA(&windowClass);

    windowClass.lpszClassName = kSaverClassName;
    windowClass.lpfnWndProc = SaverWindowProc;
    windowClass.style = CS_OWNDC; // each scene keeps its device context
    windowClass.cbWndExtra = 8;   // the first long holds the window index
    RegisterClassA(&windowClass);
}

int SaverMain(HINSTANCE instance) {
    host.instance = instance;
    if (LoadStringA(instance, IDS_SAVER_NAME, host.saverName, sizeof host.saverName) == 0) {
        MessageBoxA(nullptr, "Must store saver name as String Resource 1", "Saver", MB_ICONERROR);
        return 0;
    }
    char modulePath[MAX_PATH] = "";
    GetModuleFileNameA(instance, modulePath, sizeof modulePath);
    StartRequest request = ReadCommandLine(modulePath, GetCommandLineA());
    host.mode = request.mode;

    switch (request.mode) {
    case ModeInstall:
        InstallSaver();
        return 0;
    case ModeUninstall:
        UninstallSaver();
        return 0;
    case ModeChangePassword:
        ChangeSaverPassword(request.window);
        return 0;
    default:
        break;
    }
    HWND parent = request.window;
    if (request.parentIsForeground)
        parent = GetForegroundWindow();
    if (request.launchPreviewTool)
        parent = LaunchPreviewTool();

    LoadSystemSaverSettings();
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
    RegisterWindowClasses();

    switch (host.mode) {
    case ModeConfig:
        RunConfigSheet(parent);
        break;
    case ModePreview:
        RunSaverWindows(parent, false);
        break;
    case ModeSaver:
        RunSaverWindows(nullptr, request.simulateMonitors);
        break;
    default:
        break;
    }
    return 0;
}
