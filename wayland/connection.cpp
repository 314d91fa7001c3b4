// The connection to the compositor and the globals the program binds.
#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>

#include "mobile/description_file.h"
#include "wayland/client.h"

void Say(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    fprintf(stderr, "hangingmobile-wayland: ");
    vfprintf(stderr, format, arguments);
    fprintf(stderr, "\n");
    fflush(stderr);
    va_end(arguments);
}

namespace {

void OnPing(void*, xdg_wm_base* base, uint32_t serial) {
    xdg_wm_base_pong(base, serial);
}
const xdg_wm_base_listener kWmBaseListener = {OnPing};

void OnSeatCapabilities(void* data, wl_seat*, uint32_t capabilities) {
    UpdateSeatDevices(*(Client*)data, capabilities);
}
void OnSeatName(void*, wl_seat*, const char*) {}
const wl_seat_listener kSeatListener = {OnSeatCapabilities, OnSeatName};

void OnIdled(void* data, ext_idle_notification_v1*) {
    ((Client*)data)->idle = true;
}
void OnResumed(void* data, ext_idle_notification_v1*) {
    ((Client*)data)->idle = false;
}
const ext_idle_notification_v1_listener kIdleListener = {OnIdled, OnResumed};

void OnKdeIdle(void* data, org_kde_kwin_idle_timeout*) {
    ((Client*)data)->idle = true;
}
void OnKdeResumed(void* data, org_kde_kwin_idle_timeout*) {
    ((Client*)data)->idle = false;
}
const org_kde_kwin_idle_timeout_listener kKdeIdleListener = {OnKdeIdle, OnKdeResumed};

template <typename T>
T* Bind(wl_registry* registry, uint32_t name, const wl_interface* interface, uint32_t offered,
        uint32_t wanted) {
    return (T*)wl_registry_bind(registry, name, interface, std::min(offered, wanted));
}

void OnGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface,
              uint32_t version) {
    Client& client = *(Client*)data;
    if (strcmp(interface, wl_compositor_interface.name) == 0) {
        client.compositor =
            Bind<wl_compositor>(registry, name, &wl_compositor_interface, version, 4);
    } else if (strcmp(interface, xdg_wm_base_interface.name) == 0) {
        client.wmBase = Bind<xdg_wm_base>(registry, name, &xdg_wm_base_interface, version, 1);
        xdg_wm_base_add_listener(client.wmBase, &kWmBaseListener, &client);
    } else if (strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0) {
        client.layerShell =
            Bind<zwlr_layer_shell_v1>(registry, name, &zwlr_layer_shell_v1_interface, version, 1);
    } else if (strcmp(interface, ext_idle_notifier_v1_interface.name) == 0) {
        client.idleNotifier =
            Bind<ext_idle_notifier_v1>(registry, name, &ext_idle_notifier_v1_interface, version, 1);
    } else if (strcmp(interface, org_kde_kwin_idle_interface.name) == 0) {
        client.kdeIdle =
            Bind<org_kde_kwin_idle>(registry, name, &org_kde_kwin_idle_interface, version, 1);
    } else if (strcmp(interface, wl_seat_interface.name) == 0 && !client.seat) {
        client.seat = Bind<wl_seat>(registry, name, &wl_seat_interface, version, 5);
        wl_seat_add_listener(client.seat, &kSeatListener, &client);
    } else if (strcmp(interface, wl_output_interface.name) == 0) {
        // Its events (modes, geometry) are not needed: the layer surface is
        // told its size.
        Output output = {Bind<wl_output>(registry, name, &wl_output_interface, version, 1), name};
        client.outputs.push_back(output);
        if (client.fullScreen)
            AddOutputSurface(client, output);
    }
}

void OnGlobalRemove(void* data, wl_registry*, uint32_t name) {
    Client& client = *(Client*)data;
    for (size_t i = 0; i < client.outputs.size(); i++) {
        if (client.outputs[i].name != name)
            continue;
        RemoveOutputSurface(client, name);
        wl_output_destroy(client.outputs[i].output);
        client.outputs.erase(client.outputs.begin() + (long)i);
        return;
    }
}
const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

} // namespace

bool Connect(Client& client) {
    client.display = wl_display_connect(nullptr);
    if (!client.display) {
        int error = errno;
        const char* name = getenv("WAYLAND_DISPLAY");
        Say("cannot connect to the Wayland compositor (WAYLAND_DISPLAY is %s): %s",
            name ? OneLine(name).c_str() : "not set", strerror(error));
        return false;
    }
    client.registry = wl_display_get_registry(client.display);
    wl_registry_add_listener(client.registry, &kRegistryListener, &client);
    // The globals, then what binding the seat told of its devices.
    if (wl_display_roundtrip(client.display) < 0 || wl_display_roundtrip(client.display) < 0) {
        Say("the Wayland compositor went away as it started");
        return false;
    }
    const char* missing = nullptr;
    if (!client.compositor)
        missing = "no wl_compositor";
    else if (client.options->mode == ModeWindow && !client.wmBase)
        missing = "no xdg_wm_base, so no window";
    else if (client.options->mode != ModeWindow && !client.layerShell)
        missing = "no layer shell (zwlr_layer_shell_v1), so nothing full screen; --window works";
    else if (client.options->mode == ModeIdle && !(client.idleNotifier || client.kdeIdle))
        missing = "no idle notification (ext_idle_notifier_v1 or org_kde_kwin_idle)";
    else if (client.options->mode == ModeIdle && !client.seat)
        missing = "no seat, so no idle time";
    if (missing) {
        Say("the Wayland compositor offers %s", missing);
        return false;
    }
    return true;
}

const char* WatchIdle(Client& client) {
    uint32_t milliseconds = (uint32_t)(client.options->idleSeconds * 1000);
    if (client.idleNotifier) {
        client.idleNotification = ext_idle_notifier_v1_get_idle_notification(
            client.idleNotifier, milliseconds, client.seat);
        ext_idle_notification_v1_add_listener(client.idleNotification, &kIdleListener, &client);
        return ext_idle_notifier_v1_interface.name;
    }
    client.kdeIdleTimeout =
        org_kde_kwin_idle_get_idle_timeout(client.kdeIdle, client.seat, milliseconds);
    org_kde_kwin_idle_timeout_add_listener(client.kdeIdleTimeout, &kKdeIdleListener, &client);
    return org_kde_kwin_idle_interface.name;
}

void Disconnect(Client& client) {
    if (!client.display)
        return;
    if (client.idleNotification)
        ext_idle_notification_v1_destroy(client.idleNotification);
    if (client.kdeIdleTimeout)
        org_kde_kwin_idle_timeout_release(client.kdeIdleTimeout);
    if (client.idleNotifier)
        ext_idle_notifier_v1_destroy(client.idleNotifier);
    if (client.kdeIdle)
        org_kde_kwin_idle_destroy(client.kdeIdle);
    ReleaseSeat(client);
    for (const Output& output : client.outputs)
        wl_output_destroy(output.output);
    client.outputs.clear();
    if (client.layerShell)
        zwlr_layer_shell_v1_destroy(client.layerShell);
    if (client.wmBase)
        xdg_wm_base_destroy(client.wmBase);
    if (client.compositor)
        wl_compositor_destroy(client.compositor);
    wl_registry_destroy(client.registry);
    wl_display_flush(client.display);
    wl_display_disconnect(client.display);
    client.display = nullptr;
}
