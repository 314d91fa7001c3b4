// The floor for the saver's running cost and start-up: the least a program
// can do to show the saver's frames. A topmost full-screen window, an OpenGL
// context, the same fixed state and projection, and every 50 ms one frame
// replayed from flat arrays (frame_cost --dump writes them: the built-in
// mobile's very calls at the very angles). With "clear" it only clears and
// swaps, for scale.
//
//   FloorSaver.exe FRAMES_FILE [clear]
//
// It runs until it is killed or its window is closed.
#include <windows.h>

#include <GL/gl.h>
#include <GL/glu.h>
#include <string.h>

#include "scene/gl_setup.h"
#include "tools/bench/floor_frames.h"

namespace {

struct Floor {
    const FloorHeader* header;
    FloorCall* calls;
    const uint32_t* varyingCall;
    const float (*values)[4];
    bool clearOnly;
    HDC dc;
    uint32_t frame;
};
Floor floor_ = {};

bool LoadFrames(const char* path) {
    HANDLE file =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD size = GetFileSize(file, nullptr), got = 0;
    char* bytes = (char*)HeapAlloc(GetProcessHeap(), 0, size);
    bool read = bytes && ReadFile(file, bytes, size, &got, nullptr) && got == size;
    CloseHandle(file);
    if (!read || size < sizeof(FloorHeader))
        return false;
    const FloorHeader* header = (const FloorHeader*)bytes;
    uint64_t need = sizeof(FloorHeader) + (uint64_t)header->calls * sizeof(FloorCall) +
                    (uint64_t)header->varying * 4 +
                    (uint64_t)header->frames * header->varying * 4 * sizeof(float);
    if (memcmp(header->magic, "HMFLOOR1", 8) != 0 || header->frames == 0 || need != size)
        return false;
    floor_.header = header;
    floor_.calls = (FloorCall*)(bytes + sizeof(FloorHeader));
    floor_.varyingCall = (const uint32_t*)(floor_.calls + header->calls);
    floor_.values = (const float(*)[4])(floor_.varyingCall + header->varying);
    return true;
}

void DrawFrame() {
    if (floor_.clearOnly) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        SwapBuffers(floor_.dc);
        return;
    }
    const FloorHeader& h = *floor_.header;
    const float(*values)[4] = floor_.values + (size_t)(floor_.frame % h.frames) * h.varying;
    floor_.frame++;
    for (uint32_t i = 0; i < h.varying; i++)
        memcpy(floor_.calls[floor_.varyingCall[i]].f, values[i], sizeof values[i]);
    const double* e = h.lookAt;
    for (const FloorCall *c = floor_.calls, *end = c + h.calls; c != end; c++) {
        switch (c->op) {
        case OpRotate:
            glRotatef(c->f[0], c->f[1], c->f[2], c->f[3]);
            break;
        case OpTranslate:
            glTranslatef(c->f[0], c->f[1], c->f[2]);
            break;
        case OpColour:
            glColor3f(c->f[0], c->f[1], c->f[2]);
            break;
        case OpBegin:
            glBegin(c->word);
            break;
        case OpEnd:
            glEnd();
            break;
        case OpVertex:
            glVertex3f(c->f[0], c->f[1], c->f[2]);
            break;
        case OpPush:
            glPushMatrix();
            break;
        case OpPop:
            glPopMatrix();
            break;
        case OpMatrixMode:
            glMatrixMode(c->word);
            break;
        case OpIdentity:
            glLoadIdentity();
            break;
        case OpClearColour:
            glClearColor(c->f[0], c->f[1], c->f[2], c->f[3]);
            break;
        case OpClear:
            glClear(c->word);
            break;
        case OpLookAt:
            gluLookAt(e[0], e[1], e[2], e[3], e[4], e[5], e[6], e[7], e[8]);
            break;
        case OpSwap:
            SwapBuffers(floor_.dc);
            break;
        }
    }
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
    const FloorHeader& h = *floor_.header;
    ApplyProjection(h.fov, h.znear, h.zfar, client.right, client.bottom);
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
    // The file's path, quoted when it has blanks, then "clear" or nothing.
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
