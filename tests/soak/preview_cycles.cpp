// Opens and closes the saver's preview window (its own class, index -1) in a
// parent of its own many times in this one process, through the saver
// library's own window procedure and message loop, and samples the process's
// memory after each cycle. Memory that climbs from cycle to cycle is a leak
// the real preview would show every time the display settings page opens it.
//
// A preview's teardown leaves the OpenGL context current and the one-time
// start marked done, on purpose: the program ends after it. Each cycle here
// therefore ends as that program end would, by releasing the context
// (StopOpenGL), so that the next cycle starts afresh like a new preview; what
// is measured is the scene's own life (its mobile, timer, device context and
// context). The same cycles run first with a bare OpenGL child window of
// ours that only clears and swaps: the floor, whose growth is Wine's and
// Mesa's. The preview may grow no more than the floor does, plus a margin.
//
//   preview_cycles [CYCLES] [MILLISECONDS_PER_CYCLE]
//
// Prints one line per cycle and a verdict; exits 1 when the preview's memory
// grows (see the verdict below), 2 when a cycle could not run. Without the
// context release above, each cycle here kept about 2.7 MB.
#include <windows.h>
#include <psapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <GL/gl.h>

#include "host/opengl.h"
#include "host/saver_host.h"
#include "host/saver_windows.h"
#include "host/startup.h"
#include "host/system_settings.h"

namespace {

const UINT_PTR kCloseTimer = 7;

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kCloseTimer) {
        KillTimer(window, kCloseTimer);
        // As the display settings page does: the parent goes, and takes the
        // preview child with it, whose end stops the saver's message loop.
        DestroyWindow(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The floor's child: an OpenGL context made in WM_CREATE, a clear and a swap
// every 50 ms, the context deleted in WM_DESTROY, which ends the loop.
LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        HDC dc = GetDC(window);
        PIXELFORMATDESCRIPTOR format = {};
        format.nSize = sizeof format;
        format.nVersion = 1;
        format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        format.cColorBits = 16;
        format.cDepthBits = 16;
        SetPixelFormat(dc, ChoosePixelFormat(dc, &format), &format);
        HGLRC context = wglCreateContext(dc);
        wglMakeCurrent(dc, context);
        SetTimer(window, 1, 50, nullptr);
        break;
    }
    case WM_TIMER:
        glClear(GL_COLOR_BUFFER_BIT);
        SwapBuffers(GetDC(window));
        break;
    case WM_DESTROY: {
        HGLRC context = wglGetCurrentContext();
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(context);
        PostQuitMessage(0);
        break;
    }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void RunFloorWindow(HWND parent) {
    CreateWindowExA(0, "PreviewCyclesFloor", "", WS_CHILD | WS_VISIBLE, 0, 0, 152, 112, parent,
                    nullptr, host.instance, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
}

void RegisterClasses() {
    WNDCLASSA windowClass = {};
    windowClass.hInstance = host.instance;
    windowClass.lpfnWndProc = ParentProc;
    windowClass.lpszClassName = "PreviewCyclesParent";
    RegisterClassA(&windowClass);
    windowClass.lpfnWndProc = FloorProc;
    windowClass.lpszClassName = "PreviewCyclesFloor";
    windowClass.style = CS_OWNDC;
    RegisterClassA(&windowClass);
    RegisterWindowClasses(); // the saver's own classes, as start-up registers them
}

struct Sample {
    SIZE_T workingSet;
    SIZE_T privateBytes;
    DWORD handles;
    DWORD gdiObjects;
    DWORD userObjects;
};

Sample TakeSample() {
    Sample sample = {};
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) {
        sample.workingSet = counters.WorkingSetSize;
        sample.privateBytes = counters.PagefileUsage;
    }
    GetProcessHandleCount(GetCurrentProcess(), &sample.handles);
    sample.gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    sample.userObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    return sample;
}

double ThirdMean(const Sample* samples, int count, int third, SIZE_T Sample::*field) {
    int size = count / 3, start = third == 0 ? 0 : count - size;
    double sum = 0;
    for (int i = start; i < start + size; i++)
        sum += (double)(samples[i].*field);
    return sum / size;
}

// Cycles whose figure rose minus cycles whose figure fell.
int NetRises(const Sample* samples, int count, SIZE_T Sample::*field) {
    int net = 0;
    for (int i = 1; i < count; i++)
        net += samples[i].*field > samples[i - 1].*field   ? 1
               : samples[i].*field < samples[i - 1].*field ? -1
                                                           : 0;
    return net;
}

} // namespace

int main(int argc, char** argv) {
    int cycles = argc > 1 ? atoi(argv[1]) : 50;
    int milliseconds = argc > 2 ? atoi(argv[2]) : 200;
    if (cycles < 6 || milliseconds < 1) {
        fprintf(stderr, "usage: preview_cycles [CYCLES >= 6] [MILLISECONDS >= 1]\n");
        return 2;
    }
    host.instance = GetModuleHandleA(nullptr);
    lstrcpyA(host.saverName, "Preview Cycles Saver");
    host.mode = ModePreview;
    LoadSystemSaverSettings();
    RegisterClasses();

    Sample* floor = (Sample*)calloc((size_t)cycles, sizeof(Sample));
    Sample* samples = (Sample*)calloc((size_t)cycles, sizeof(Sample));
    if (!floor || !samples)
        return 2;
    for (int run = 0; run < 2; run++) {
        const char* name = run == 0 ? "floor" : "preview";
        Sample* taken = run == 0 ? floor : samples;
        for (int i = 0; i < cycles; i++) {
            HWND parent = CreateWindowExA(0, "PreviewCyclesParent", "", WS_POPUP | WS_VISIBLE, 0, 0,
                                          152, 112, nullptr, nullptr, host.instance, nullptr);
            if (!parent || !SetTimer(parent, kCloseTimer, (UINT)milliseconds, nullptr)) {
                fprintf(stderr, "%s cycle %d: no parent window (error %lu)\n", name, i + 1,
                        GetLastError());
                return 2;
            }
            if (run == 0)
                RunFloorWindow(parent);
            else {
                RunSaverWindows(parent, false); // returns when the preview window is gone
                if (!glReady) {
                    fprintf(stderr, "preview cycle %d: OpenGL did not start: %s\n", i + 1,
                            glFailureMessage);
                    return 2;
                }
                StopOpenGL();
            }
            if (IsWindow(parent)) {
                fprintf(stderr, "%s cycle %d: the loop ended with its parent still open\n", name,
                        i + 1);
                return 2;
            }
            taken[i] = TakeSample();
            printf("%s cycle %d: working set %lu KB, private %lu KB, handles %lu, GDI %lu, "
                   "user %lu\n",
                   name, i + 1, (unsigned long)(taken[i].workingSet / 1024),
                   (unsigned long)(taken[i].privateBytes / 1024), taken[i].handles,
                   taken[i].gdiObjects, taken[i].userObjects);
        }
    }

    // The first cycle of each run loads what stays loaded; what counts is the
    // trend after it. Wine's and Mesa's own memory here flips between states
    // 0.7 to 2 MB apart, from one cycle to the next or once for good, so the
    // thirds' means alone carry a wide margin. A scene that leaks every time
    // shows instead as a rise in most cycles (net of the falls) together
    // with a smaller climb of the means; the flips rise as often as they fall.
    int fail = 0;
    struct {
        const char* name;
        SIZE_T Sample::*field;
    } measures[] = {{"working set", &Sample::workingSet}, {"private bytes", &Sample::privateBytes}};
    for (const auto& measure : measures) {
        double floorGrowth = ThirdMean(floor + 1, cycles - 1, 1, measure.field) -
                             ThirdMean(floor + 1, cycles - 1, 0, measure.field);
        double first = ThirdMean(samples + 1, cycles - 1, 0, measure.field);
        double growth = ThirdMean(samples + 1, cycles - 1, 1, measure.field) - first;
        double margin = first * 0.04 > 3072 * 1024 ? first * 0.04 : 3072 * 1024;
        int net = NetRises(samples + 1, cycles - 1, measure.field);
        bool steadyRise = 2 * net > cycles - 2 && growth > 256 * 1024;
        bool grew = growth > (floorGrowth > 0 ? floorGrowth : 0) + margin || steadyRise;
        printf("%s: last third over first: preview %+.0f KB, floor %+.0f KB, margin %.0f KB; "
               "cycles rising net of falling %d of %d: %s\n",
               measure.name, growth / 1024, floorGrowth / 1024, margin / 1024, net, cycles - 2,
               grew ? "GROWS" : "steady");
        fail |= grew;
    }
    DWORD firstHandles = samples[1].handles, lastHandles = samples[cycles - 1].handles;
    if (lastHandles == 0)
        printf("handles: not counted (GetProcessHandleCount gives 0 here)\n");
    else {
        bool handlesGrew = lastHandles > firstHandles + 2;
        printf("handles: after cycle 2 %lu, after cycle %d %lu: %s\n", firstHandles, cycles,
               lastHandles, handlesGrew ? "GROWS" : "steady");
        fail |= handlesGrew;
    }
    if (samples[cycles - 1].gdiObjects == 0 && samples[cycles - 1].userObjects == 0)
        printf("GDI and user objects: not counted (GetGuiResources returns 0 here; Wine's is a "
               "stub)\n");
    else {
        bool gdiGrew = samples[cycles - 1].gdiObjects > samples[1].gdiObjects + 2 ||
                       samples[cycles - 1].userObjects > samples[1].userObjects + 2;
        printf("GDI objects %lu -> %lu, user objects %lu -> %lu: %s\n", samples[1].gdiObjects,
               samples[cycles - 1].gdiObjects, samples[1].userObjects,
               samples[cycles - 1].userObjects, gdiGrew ? "GROWS" : "steady");
        fail |= gdiGrew;
    }
    free(samples);
    free(floor);
    printf("%s\n", fail ? "FAIL" : "ok");
    return fail ? 1 : 0;
}
