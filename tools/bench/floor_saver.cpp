// The floor for the saver's running cost and start-up: the least a program
// can do to show the saver's frames. A topmost full-screen window, an OpenGL
// context, the same fixed state and projection, and every 50 ms one frame
// replayed from flat arrays (frame_cost --dump writes them: the built-in
// mobile's very calls at the very angles). With "clear" it only clears and
// swaps, for scale; with "lists" each shape is compiled once into a display
// list and the frames replay the lists (floor_lists.h).
//
//   FloorSaver.exe FRAMES_FILE [clear|lists]
//
// It runs until it is killed or its window is closed.
#include <windows.h>

#include <string.h>

#include "scene/gl_setup.h"
#include "tools/bench/floor_lists.h"
#include "tools/bench/floor_replay.h"

namespace {

struct Floor {
    FloorFrames frames;
    bool clearOnly;
    bool fromLists;
    FloorLists lists;
    HDC dc;
};
Floor floor_;

bool LoadFrames(const char* path) {
    HANDLE file =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD size = GetFileSize(file, nullptr), got = 0;
    char* bytes = (char*)HeapAlloc(GetProcessHeap(), 0, size);
    bool read = bytes && ReadFile(file, bytes, size, &got, nullptr) && got == size;
    CloseHandle(file);
    return read && ReadFloorFrames(bytes, size, floor_.frames);
}

void DrawFrame() {
    if (floor_.clearOnly) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        SwapBuffers(floor_.dc);
        return;
    }
    if (floor_.fromLists)
        ReplayFloorFrameFromLists(floor_.frames, floor_.lists, floor_.dc);
    else
        ReplayFloorFrame(floor_.frames, floor_.dc);
}

bool StartContext(HWND window) {
    floor_.dc = GetDC(window);
    PIXELFORMATDESCRIPTOR wanted = {};
    wanted.nSize = sizeof wanted;
    wanted.nVersion = 1;
    wanted.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    wanted.iPixelType = PFD_TYPE_RGBA;
    wanted.cColorBits = 24;
    wanted.cDepthBits = 16;
    int format = ChoosePixelFormat(floor_.dc, &wanted);
    if (!format || !SetPixelFormat(floor_.dc, format, &wanted))
        return false;
    HGLRC context = wglCreateContext(floor_.dc);
    if (!context || !wglMakeCurrent(floor_.dc, context))
        return false;
    SetFixedGlState();
    RECT client;
    GetClientRect(window, &client);
    const FloorHeader& h = *floor_.frames.header;
    ApplyProjection(h.fov, h.znear, h.zfar, client.right, client.bottom);
    if (floor_.fromLists)
        CompileFloorLists(floor_.frames, floor_.lists);
    return true;
}

LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        DrawFrame();
        return 0;
    case WM_PAINT:
        ValidateRect(window, nullptr);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    // The file's path, quoted when it has blanks, then "clear", "lists" or
    // nothing.
    char path[MAX_PATH] = "";
    const char* p = commandLine;
    char end = ' ';
    if (*p == '"')
        end = *p++;
    size_t length = 0;
    while (p[length] && p[length] != end)
        length++;
    if (length == 0 || length >= sizeof path)
        return 2;
    memcpy(path, p, length);
    floor_.clearOnly = strstr(p + length, "clear") != nullptr;
    floor_.fromLists = strstr(p + length, "lists") != nullptr;
    if (!LoadFrames(path))
        return 3;

    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = FloorProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    windowClass.lpszClassName = "FloorSaver";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(WS_EX_TOPMOST, "FloorSaver", "", WS_POPUP | WS_VISIBLE, 0, 0,
                                  GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                  nullptr, nullptr, instance, nullptr);
    if (!window || !StartContext(window))
        return 4;
    DrawFrame(); // the first frame as soon as it can be drawn
    SetTimer(window, 1, 50, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}
