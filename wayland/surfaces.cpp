// The surfaces the program draws on: its window (an xdg toplevel), or one
// layer surface on the overlay layer of every output, covering it. Each
// has its own EGL surface and projection; a frame is drawn on one only once
// the compositor has called back for the last, so that a surface nobody
// sees gets none.
#include <stdio.h>

#include "scene/gl.h"
#include "scene/gl_setup.h"
#include "wayland/client.h"

namespace {

const int kWindowWidth = 800, kWindowHeight = 600;

// Sizes the EGL window to the surface's size; made at the first configure.
void Resize(Client& client, Surface& surface, int width, int height) {
    surface.width = width;
    surface.height = height;
    if (!surface.eglWindow) {
        surface.eglWindow = wl_egl_window_create(surface.surface, width, height);
        surface.eglSurface = eglCreateWindowSurface(
            client.egl, client.config, (EGLNativeWindowType)surface.eglWindow, nullptr);
        if (surface.eglSurface == EGL_NO_SURFACE)
            Say("cannot make an EGL surface (error 0x%x)", eglGetError());
    } else {
        wl_egl_window_resize(surface.eglWindow, width, height, 0, 0);
    }
    surface.configured = true;
}

void OnLayerConfigure(void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width,
                      uint32_t height) {
    Surface& surface = *(Surface*)data;
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    Client& client = *(Client*)wl_proxy_get_user_data((wl_proxy*)surface.surface);
    Resize(client, surface, (int)width, (int)height);
}

void OnLayerClosed(void* data, zwlr_layer_surface_v1*) {
    ((Surface*)data)->closed = true;
}
const zwlr_layer_surface_v1_listener kLayerListener = {OnLayerConfigure, OnLayerClosed};

// The toplevel's size comes first, the surface's configure then applies it.
void OnToplevelConfigure(void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*) {
    Surface& surface = *(Surface*)data;
    if (width > 0 && height > 0) {
        surface.width = width;
        surface.height = height;
    }
}
void OnToplevelClose(void* data, xdg_toplevel*) {
    ((Surface*)data)->closed = true;
}
// Bound at version 1: the later events never come.
const xdg_toplevel_listener kToplevelListener = {OnToplevelConfigure, OnToplevelClose, nullptr,
                                                 nullptr};

void OnXdgConfigure(void* data, xdg_surface* xdgSurface, uint32_t serial) {
    Surface& surface = *(Surface*)data;
    xdg_surface_ack_configure(xdgSurface, serial);
    Client& client = *(Client*)wl_proxy_get_user_data((wl_proxy*)surface.surface);
    Resize(client, surface, surface.width, surface.height);
}
const xdg_surface_listener kXdgSurfaceListener = {OnXdgConfigure};

void OnFrameDone(void* data, wl_callback* callback, uint32_t) {
    Surface& surface = *(Surface*)data;
    wl_callback_destroy(callback);
    surface.frame = nullptr;
}
const wl_callback_listener kFrameListener = {OnFrameDone};

Surface& NewSurface(Client& client, uint32_t outputName) {
    client.surfaces.push_back(std::make_unique<Surface>());
    Surface& surface = *client.surfaces.back();
    surface = Surface{};
    surface.outputName = outputName;
    surface.surface = wl_compositor_create_surface(client.compositor);
    wl_surface_set_user_data(surface.surface, &client);
    return surface;
}

// OpenGL sizes its buffers to the surface; beyond its limits the rasteriser
// would fail, so such a surface gets no frames (said once).
bool Fits(Client& client, const Surface& surface) {
    bool fits = surface.width <= client.largestWidth && surface.height <= client.largestHeight;
    if (!fits && !client.tooLargeSaid)
        Say("an output is %d x %d, larger than OpenGL can draw (%d x %d); nothing is drawn on "
            "it",
            surface.width, surface.height, client.largestWidth, client.largestHeight);
    client.tooLargeSaid = client.tooLargeSaid || !fits;
    return fits;
}

// The largest drawable the implementation takes: its viewport, and its
// colour buffers, which are textures or renderbuffers of the surface's size.
void ReadLimits(Client& client) {
    GLint viewport[2] = {0, 0}, texture = 0;
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
    client.largestWidth = viewport[0];
    client.largestHeight = viewport[1];
    if (texture > 0 && texture < client.largestWidth)
        client.largestWidth = texture;
    if (texture > 0 && texture < client.largestHeight)
        client.largestHeight = texture;
}

bool Ready(const Surface& surface) {
    return surface.configured && !surface.closed && !surface.frame &&
           surface.eglSurface != EGL_NO_SURFACE && surface.width > 0 && surface.height > 0;
}

void DrawOne(Client& client, Surface& surface) {
    if (!eglMakeCurrent(client.egl, surface.eglSurface, surface.eglSurface, client.context))
        return;
    if (!client.glReady) {
        SetFixedGlState();
        ReadLimits(client);
        client.glReady = true;
    }
    // The frame callbacks pace it; EGL must never wait for one itself.
    eglSwapInterval(client.egl, 0);
    if (!Fits(client, surface))
        return;
    // One context for all surfaces: the projection in it is the last one set.
    if (client.lastDrawn != &surface)
        surface.projection.known = false;
    client.lastDrawn = &surface;
    ReshapeWholeView(surface.projection, client.mobile.fov, client.mobile.znear, client.mobile.zfar,
                     surface.width, surface.height);
    if (!DrawViewFrame(client.mobile, client.latitude, client.longitude) && !client.cutSaid) {
        Say("%s", kDrawingCutMessage);
        client.cutSaid = true;
    }
    surface.frame = wl_surface_frame(surface.surface);
    wl_callback_add_listener(surface.frame, &kFrameListener, &surface);
    eglSwapBuffers(client.egl, surface.eglSurface);
    if (client.options->verbose && !surface.saidShown)
        Say("shows a frame of %d x %d", surface.width, surface.height);
    surface.saidShown = true;
}

} // namespace

void OpenWindow(Client& client) {
    Surface& surface = NewSurface(client, 0);
    surface.width = kWindowWidth;
    surface.height = kWindowHeight;
    surface.xdgSurface = xdg_wm_base_get_xdg_surface(client.wmBase, surface.surface);
    xdg_surface_add_listener(surface.xdgSurface, &kXdgSurfaceListener, &surface);
    surface.toplevel = xdg_surface_get_toplevel(surface.xdgSurface);
    xdg_toplevel_add_listener(surface.toplevel, &kToplevelListener, &surface);
    xdg_toplevel_set_title(surface.toplevel, "Hanging Mobile");
    xdg_toplevel_set_app_id(surface.toplevel, "hangingmobile");
    wl_surface_commit(surface.surface);
}

void AddOutputSurface(Client& client, const Output& output) {
    Surface& surface = NewSurface(client, output.name);
    surface.layer =
        zwlr_layer_shell_v1_get_layer_surface(client.layerShell, surface.surface, output.output,
                                              ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "hangingmobile");
    zwlr_layer_surface_v1_add_listener(surface.layer, &kLayerListener, &surface);
    zwlr_layer_surface_v1_set_anchor(
        surface.layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                           ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_size(surface.layer, 0, 0);
    zwlr_layer_surface_v1_set_exclusive_zone(surface.layer, -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(surface.layer, 1); // exclusive
    wl_surface_commit(surface.surface);
}

void ShowFullScreen(Client& client) {
    client.fullScreen = true;
    client.pointerOrigin = PointerOrigin{};
    client.endingInput = nullptr;
    for (const Output& output : client.outputs)
        AddOutputSurface(client, output);
}

void DestroySurface(Client& client, Surface& surface) {
    if (client.lastDrawn == &surface)
        client.lastDrawn = nullptr;
    if (surface.eglSurface != EGL_NO_SURFACE) {
        eglMakeCurrent(client.egl, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroySurface(client.egl, surface.eglSurface);
    }
    if (surface.eglWindow)
        wl_egl_window_destroy(surface.eglWindow);
    if (surface.frame)
        wl_callback_destroy(surface.frame);
    if (surface.layer)
        zwlr_layer_surface_v1_destroy(surface.layer);
    if (surface.toplevel)
        xdg_toplevel_destroy(surface.toplevel);
    if (surface.xdgSurface)
        xdg_surface_destroy(surface.xdgSurface);
    wl_surface_destroy(surface.surface);
    surface = Surface{};
}

void RemoveOutputSurface(Client& client, uint32_t outputName) {
    for (auto& surface : client.surfaces) {
        if (surface->outputName == outputName)
            surface->closed = true; // destroyed between frames, not inside one
    }
}

void DropClosedSurfaces(Client& client) {
    for (size_t i = 0; i < client.surfaces.size();) {
        Surface& surface = *client.surfaces[i];
        if (!surface.closed) {
            i++;
            continue;
        }
        if (surface.toplevel)
            client.ending = true; // the window closed
        DestroySurface(client, surface);
        client.surfaces.erase(client.surfaces.begin() + (long)i);
    }
}

void HideFullScreen(Client& client) {
    for (auto& surface : client.surfaces)
        surface->closed = true;
    DropClosedSurfaces(client);
    client.fullScreen = false;
}

bool AnySurfaceReady(const Client& client) {
    for (const auto& surface : client.surfaces) {
        if (Ready(*surface))
            return true;
    }
    return false;
}

bool DrawFrames(Client& client) {
    bool drew = false;
    for (auto& surface : client.surfaces) {
        if (!Ready(*surface))
            continue;
        DrawOne(client, *surface);
        drew = true;
    }
    return drew;
}
