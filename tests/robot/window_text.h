// Messages to another program's windows that never hang the robot: a window
// that does not answer within the robot's patience gives an empty text or 0.
#pragma once

#include <windows.h>

#include <string>

#include "tests/robot/robot.h"

namespace robot {

inline std::string Text(HWND window) {
    char text[512] = "";
    DWORD_PTR length = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, kPatience,
                        &length);
    return text;
}

// For messages whose parameters carry no pointers.
inline LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kPatience, &result);
    return (LRESULT)result;
}

} // namespace robot
