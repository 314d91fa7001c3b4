// Entry point of the saver. For now: /s shows the mobile full screen on the
// primary monitor and any key or click ends it; /p HWND previews into a
// window. The complete host (every monitor, dismissal rules, passwords,
// configuration) replaces this.
#include <windows.h>
#include <stdlib.h>
#include <string.h>

#include "host/saver_host.h"
#include "resources/resource.h"
#include "scene/saver_scene.h"

static LRESULT CALLBACK InterimWindowProc(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) {
    SaverScene* scene = (SaverScene*)GetWindowLongPtrA(window, GWLP_USERDATA);
    switch (message) {
    case WM_CREATE: {
        int32_t index = *(const int32_t*)((CREATESTRUCTA*)lParam)->lpCreateParams;
        scene = (SaverScene*)calloc(1, sizeof(SaverScene));
        if (scene)
            ConstructScene(*scene, window, index);
        SetWindowLongPtrA(window, GWLP_USERDATA, (LONG_PTR)scene);
        break;
    }
    case WM_TIMER:
        if (scene)
            RenderFrame(*scene);
        break;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        if (scene)
            PaintScene(*scene, dc, client);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        if (host.mode == ModeSaver)
            DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        if (scene) {
            TeardownScene(*scene);
            free(scene);
        }
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    host.instance = instance;
    if (LoadStringA(instance, IDS_SAVER_NAME, host.saverName, sizeof host.saverName) == 0) {
        MessageBoxA(nullptr, "Must store saver name as String Resource 1", "Saver", MB_ICONERROR);
        return 0;
    }
    const char* args = GetCommandLineA();
    const char* preview = strstr(args, "/p ");
    HWND parent = preview ? (HWND)(INT_PTR)atoi(preview + 3) : nullptr;
    host.mode = preview ? ModePreview : strstr(args, "/s") ? ModeSaver : ModeNone;
    if (host.mode == ModeNone)
        return 0;

    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = InterimWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    windowClass.lpszClassName = "ScrClass";
    RegisterClassA(&windowClass);

    int32_t index = host.mode == ModePreview ? -1 : 0;
    RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (parent)
        GetWindowRect(parent, &area);
    HWND window = CreateWindowExA(parent ? 0 : WS_EX_TOPMOST, "ScrClass", "",
                                  parent ? WS_CHILD | WS_VISIBLE : WS_POPUP | WS_VISIBLE, 0, 0,
                                  area.right - area.left, area.bottom - area.top, parent, nullptr,
                                  instance, &index);
    if (!window)
        return 0;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
