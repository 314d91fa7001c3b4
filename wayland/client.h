// The Wayland program's state: the connection and its globals, the seat's
// input, the surfaces it draws on (its window, or one per output) and the
// one EGL context they share.
#pragma once

#include <EGL/egl.h>
#include <stdint.h>
#include <wayland-client.h>
#include <wayland-egl.h>
#include <xkbcommon/xkbcommon.h>

#include <memory>
#include <vector>

#include "ext-idle-notify-v1-client-protocol.h"
#include "kde-idle-client-protocol.h"
#include "linux/description.h"
#include "mobile/mobile.h"
#include "scene/view.h"
#include "wayland/options.h"
#include "xdg-shell-client-protocol.h"
// The layer shell names a parameter `namespace`, which C++ reserves.
#define namespace layer_namespace
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace

struct Output {
    wl_output* output;
    uint32_t name; // the registry's
};

struct Surface {
    uint32_t outputName; // its output's, 0 for the window
    wl_surface* surface;
    xdg_surface* xdgSurface; // the window's
    xdg_toplevel* toplevel;
    zwlr_layer_surface_v1* layer; // full screen on an output
    wl_egl_window* eglWindow;
    EGLSurface eglSurface;
    int width, height; // as last configured
    bool configured;
    bool closed;        // by the compositor: it goes at the next turn
    wl_callback* frame; // the frame callback awaited, or null: a frame may be drawn
    ViewProjection projection;
    bool saidShown; // for --verbose, once
};

// Input that ends the full-screen surfaces: any key but the camera keys, a
// button, pointer travel beyond the threshold.
struct PointerOrigin {
    bool known;
    wl_surface* surface;
    double x, y;
};

struct Client {
    const WaylandOptions* options;
    wl_display* display;
    wl_registry* registry;
    wl_compositor* compositor;
    xdg_wm_base* wmBase;
    zwlr_layer_shell_v1* layerShell;
    ext_idle_notifier_v1* idleNotifier;
    org_kde_kwin_idle* kdeIdle;
    ext_idle_notification_v1* idleNotification;
    org_kde_kwin_idle_timeout* kdeIdleTimeout;
    wl_seat* seat;
    wl_keyboard* keyboard;
    wl_pointer* pointer;
    xkb_context* xkb;
    xkb_keymap* keymap;
    xkb_state* keyState;
    std::vector<Output> outputs;
    std::vector<std::unique_ptr<Surface>> surfaces;
    bool fullScreen; // the surfaces on every output are up
    PointerOrigin pointerOrigin;

    EGLDisplay egl;
    EGLConfig config;
    EGLContext context;
    bool glReady;       // the fixed state set
    Surface* lastDrawn; // the projection in the context is this one's
    int largestWidth;   // what OpenGL can draw into
    int largestHeight;
    bool tooLargeSaid;

    DescriptionSource source;
    Mobile mobile;
    int32_t latitude, longitude;
    bool cutSaid;

    bool ending;             // the window closed, or full screen ended by input
    const char* endingInput; // input that ends full screen since last looked at, or null
    bool idle;               // the compositor says the user is idle
};

// Prints a line on standard error, prefixed with the program's name.
void Say(const char* format, ...) __attribute__((format(printf, 1, 2)));

// connection.cpp: connects and binds the globals (a roundtrip). False,
// after one line, when there is no compositor or it lacks what the mode needs.
bool Connect(Client& client);
void Disconnect(Client& client);
// Asks to be told after the idle time (the idle mode); the name of the
// protocol it asked through.
const char* WatchIdle(Client& client);

// seat.cpp: the keyboard and pointer of the seat, as it offers them.
void UpdateSeatDevices(Client& client, uint32_t capabilities);
void ReleaseSeat(Client& client);

// surfaces.cpp
void OpenWindow(Client& client);
void ShowFullScreen(Client& client); // one surface on every output
void AddOutputSurface(Client& client, const Output& output);
void RemoveOutputSurface(Client& client, uint32_t outputName);
void HideFullScreen(Client& client);
void DropClosedSurfaces(Client& client);
void DestroySurface(Client& client, Surface& surface);
// Draws a frame on every surface that may have one. Returns whether any could.
bool DrawFrames(Client& client);
bool AnySurfaceReady(const Client& client);

// egl.cpp: the context, made on the connection; false after one line.
bool StartEgl(Client& client);
void StopEgl(Client& client);
