// The floor for hangingmobile-wayland's running cost and start-up: the least
// a Wayland program can do to show its frames the way hangingmobile-wayland
// --saver does. One layer surface on the overlay layer of the first output,
// covering it, drawn through the program's own EGL context and GLU calls
// (wayland/egl_context.h); the same fixed state and projection; the frames
// replayed from flat arrays (frame_cost --dump writes them: the built-in
// mobile's very calls at the very angles); paced as the program is, the
// compositor's frame callbacks on top of the 50 ms clock, the first frame
// as soon as the surface is configured.
//
//   floor_wayland FRAMES_FILE
//
// It runs until it is killed; 3 when the compositor lacks what it needs or
// goes away.
#include <poll.h>
#include <stdio.h>
#include <wayland-egl.h>

#include <string_view>
#include <vector>

#include "linux/frame_clock.h"
#include "scene/gl_setup.h"
#include "tools/bench/floor_replay.h"
#include "wayland/egl_context.h"
// The layer shell names a parameter `namespace`, which C++ reserves.
#define namespace layer_namespace
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace

namespace {

struct Floor {
    wl_compositor* compositor;
    zwlr_layer_shell_v1* layerShell;
    wl_output* output;
    int width, height; // 0 until configured
    wl_callback* frame;
    EglContext egl;
    EGLSurface eglSurface;
    wl_surface* surface;
};
Floor shown;

void OnGlobal(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    std::string_view is = interface;
    if (is == wl_compositor_interface.name)
        shown.compositor =
            (wl_compositor*)wl_registry_bind(registry, name, &wl_compositor_interface, 4);
    else if (is == zwlr_layer_shell_v1_interface.name)
        shown.layerShell = (zwlr_layer_shell_v1*)wl_registry_bind(
            registry, name, &zwlr_layer_shell_v1_interface, 1);
    else if (is == wl_output_interface.name && !shown.output)
        shown.output = (wl_output*)wl_registry_bind(registry, name, &wl_output_interface, 1);
}
void OnGlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

void OnConfigure(void*, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width,
                 uint32_t height) {
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    shown.width = (int)width;
    shown.height = (int)height;
}
void OnClosed(void*, zwlr_layer_surface_v1*) {}
const zwlr_layer_surface_v1_listener kLayerListener = {OnConfigure, OnClosed};

void OnFrameDone(void*, wl_callback* callback, uint32_t) {
    wl_callback_destroy(callback);
    shown.frame = nullptr;
}
const wl_callback_listener kFrameListener = {OnFrameDone};

// Sleeps until `deadline` (never, when negative) or until the compositor
// has something for us, then handles what came. False when it is gone.
bool WaitAndDispatch(wl_display* display, long long deadline) {
    while (wl_display_prepare_read(display) != 0)
        wl_display_dispatch_pending(display);
    wl_display_flush(display);
    pollfd wake = {wl_display_get_fd(display), POLLIN, 0};
    int timeout = -1;
    if (deadline >= 0) {
        long long left = deadline - NowMicroseconds();
        timeout = left > 0 ? (int)((left + 999) / 1000) : 0;
    }
    if (poll(&wake, 1, timeout) > 0) {
        if (wl_display_read_events(display) < 0)
            return false;
    } else {
        wl_display_cancel_read(display);
    }
    return wl_display_dispatch_pending(display) >= 0;
}

} // namespace

// The replay's swap: the frame callback asked for with the frame's commit.
int SwapBuffers(HDC) {
    shown.frame = wl_surface_frame(shown.surface);
    wl_callback_add_listener(shown.frame, &kFrameListener, nullptr);
    eglSwapBuffers(shown.egl.display, shown.eglSurface);
    return 1;
}

int main(int argc, char** argv) {
    std::vector<char> bytes;
    FloorFrames frames = {};
    if (argc != 2 || !LoadFloorFrames(argv[1], bytes, frames))
        return 2;
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return 3;
    wl_registry_add_listener(wl_display_get_registry(display), &kRegistryListener, nullptr);
    if (wl_display_roundtrip(display) < 0 || !shown.compositor || !shown.layerShell ||
        !shown.output || StartEglContext(display, shown.egl) != EglStarted)
        return 3;
    shown.surface = wl_compositor_create_surface(shown.compositor);
    zwlr_layer_surface_v1* layer = zwlr_layer_shell_v1_get_layer_surface(
        shown.layerShell, shown.surface, shown.output, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "floor");
    zwlr_layer_surface_v1_add_listener(layer, &kLayerListener, nullptr);
    zwlr_layer_surface_v1_set_anchor(
        layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                   ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_exclusive_zone(layer, -1);
    wl_surface_commit(shown.surface);
    while (shown.width == 0) {
        if (wl_display_dispatch(display) < 0)
            return 3;
    }
    wl_egl_window* window = wl_egl_window_create(shown.surface, shown.width, shown.height);
    shown.eglSurface = eglCreateWindowSurface(shown.egl.display, shown.egl.config,
                                              (EGLNativeWindowType)window, nullptr);
    if (shown.eglSurface == EGL_NO_SURFACE ||
        !eglMakeCurrent(shown.egl.display, shown.eglSurface, shown.eglSurface, shown.egl.context))
        return 3;
    // The frame callbacks pace it; EGL must never wait for one itself.
    eglSwapInterval(shown.egl.display, 0);
    SetFixedGlState();
    const FloorHeader& h = *frames.header;
    ApplyProjection(h.fov, h.znear, h.zfar, shown.width, shown.height);

    FrameClock clock = StartFrameClock(50000);
    for (;;) {
        long long now = NowMicroseconds();
        if (now >= clock.next && !shown.frame) {
            ReplayFloorFrame(frames, nullptr);
            AdvanceFrameClock(clock, now);
        }
        long long deadline = shown.frame ? -1 : clock.next;
        if (!WaitAndDispatch(display, deadline))
            return 3;
        // A frame held back for the callback comes as soon as it is called.
        if (deadline < 0 && !shown.frame && clock.next < NowMicroseconds())
            clock.next = NowMicroseconds();
    }
}
