#include "tests/robot/dpi.h"

#include "tests/robot/robot.h"

namespace robot {

static const char kDesktopKey[] = "Control Panel\\Desktop";
static const char kWineFontsKey[] = "Software\\Wine\\Fonts";

bool SetLogPixels(DWORD dpi) {
    bool ok = true;
    for (const char* key : {kDesktopKey, kWineFontsKey}) {
        DWORD stored = 0;
        ok = WriteDword(HKEY_CURRENT_USER, key, "LogPixels", dpi) &&
             ReadDword(HKEY_CURRENT_USER, key, "LogPixels", &stored) && stored == dpi && ok;
    }
    return ok;
}

LogPixelsRestorer::LogPixelsRestorer() {
    SetLogPixels(kStandardDpi);
}

LogPixelsRestorer::~LogPixelsRestorer() {
    SetLogPixels(kStandardDpi);
}

typedef BOOL(WINAPI* SetContextProc)(HANDLE context);
typedef BOOL(WINAPI* SetAwareProc)();

bool SeeDevicePixels() {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, then version 1.
    SetContextProc setContext =
        (SetContextProc)(void*)GetProcAddress(user32, "SetProcessDpiAwarenessContext");
    if (setContext && (setContext((HANDLE)(LONG_PTR)-4) || setContext((HANDLE)(LONG_PTR)-3)))
        return true;
    SetAwareProc setAware = (SetAwareProc)(void*)GetProcAddress(user32, "SetProcessDPIAware");
    return setAware && setAware();
}

} // namespace robot
