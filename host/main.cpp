// Entry point of the saver. For now it shows a plain full-screen window for
// /s and ends on any key or click; the real host replaces this.
#include <windows.h>
#include <string.h>

#include "resources/resource.h"

static LRESULT CALLBACK PlaceholderWindowProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        HBRUSH sky = CreateSolidBrush(RGB(26, 26, 51));
        FillRect(dc, &client, sky);
        DeleteObject(sky);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(160, 190, 220));
        char name[260];
        GetWindowTextA(window, name, sizeof name);
        DrawTextA(dc, name, -1, &client, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    char name[260];
    if (LoadStringA(instance, IDS_SAVER_NAME, name, sizeof name) == 0) {
        MessageBoxA(nullptr, "Must store saver name as String Resource 1", "Saver", MB_ICONERROR);
        return 0;
    }
    const char* args = GetCommandLineA();
    const char* s = strstr(args, "/s");
    if (!s)
        return 0;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = PlaceholderWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    windowClass.lpszClassName = "ScrClass";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(WS_EX_TOPMOST, "ScrClass", name, WS_POPUP | WS_VISIBLE, 0, 0,
                                  GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                  nullptr, nullptr, instance, nullptr);
    if (!window)
        return 0;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
