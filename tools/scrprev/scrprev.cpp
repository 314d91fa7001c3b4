// Scrprev: a small stand-alone preview tool. Its window (class "Scrprev")
// holds one child the size of the display settings' preview area; a saver
// started with "/p scrprev" finds it and previews into it. Handy for watching
// the preview by hand, and the double our launcher tests run against.
//
// SCRPREV_VARIANT in the environment makes it misbehave for those tests:
//   "no-window"  shows a window of another class;
//   "no-child"   shows the "Scrprev" window without its child.
#include <stdlib.h>
#include <string.h>
#include <windows.h>

static LRESULT CALLBACK ToolWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        FillRect(dc, &client, (HBRUSH)GetStockObject(GRAY_BRUSH));
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The display area: black until a saver draws into it; it closes the
// saver's preview by going away with the tool.
static LRESULT CALLBACK DisplayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) {
        RECT client;
        GetClientRect(window, &client);
        FillRect((HDC)wParam, &client, (HBRUSH)GetStockObject(BLACK_BRUSH));
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    const char* variant = getenv("SCRPREV_VARIANT");
    bool noWindow = variant && strcmp(variant, "no-window") == 0;
    bool noChild = variant && strcmp(variant, "no-child") == 0;

    WNDCLASSA toolClass = {};
    toolClass.lpfnWndProc = ToolWindowProc;
    toolClass.hInstance = instance;
    toolClass.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    toolClass.lpszClassName = noWindow ? "ScrprevElsewhere" : "Scrprev";
    RegisterClassA(&toolClass);
    WNDCLASSA displayClass = {};
    displayClass.lpfnWndProc = DisplayWindowProc;
    displayClass.hInstance = instance;
    displayClass.lpszClassName = "ScrprevDisplay";
    RegisterClassA(&displayClass);

    // A monitor-like frame around a 152 x 112 display area.
    RECT frame = {0, 0, 152 + 2 * 24, 112 + 2 * 24};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    HWND tool = CreateWindowExA(0, toolClass.lpszClassName, "Scrprev", WS_OVERLAPPEDWINDOW,
                                CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                                frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    if (!tool)
        return 1;
    if (!noChild)
        CreateWindowExA(0, "ScrprevDisplay", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 24, 24,
                        152, 112, tool, nullptr, instance, nullptr);
    ShowWindow(tool, show ? show : SW_SHOWNORMAL);
    UpdateWindow(tool);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
