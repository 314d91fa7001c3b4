// Time to the first frame on a wlroots compositor's output: starts a program
// and reads a band at the foot of the first output back through the screen
// copy protocol, one copy after another (each is taken at the compositor's
// next output frame, so none is missed), until half the band shows the
// frame's background colour. Prints the milliseconds from the start to the
// moment the compositor says it rendered that output frame, and the
// program's process id; the program is left running, the caller ends it.
//
//   first_frame_wayland [--colour R,G,B] [--timeout SECONDS] -- PROGRAM ARGS...
//
// The counterpart of first_frame, which watches an X screen the same way.
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>
#include <wayland-client.h>

#include <string_view>

#include "tools/bench/start_quietly.h"

#include "wlr-screencopy-unstable-v1-client-protocol.h"

namespace {

const int kBandHeight = 32;

struct Reader {
    wl_shm* shm;
    wl_output* output;
    zwlr_screencopy_manager_v1* copier;
    zwlr_screencopy_frame_v1* copy; // the one under way, or null
    wl_buffer* buffer;
    unsigned char* pixels;
    uint32_t width, height, stride; // the band's buffer
    int outputWidth, outputHeight;
    int colour[3];
    bool done, failed;
    double renderedAt; // milliseconds, the monotonic clock
};
Reader reader;

double Now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

void OnGeometry(void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*,
                const char*, int32_t) {}
void OnMode(void*, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t) {
    if (flags & WL_OUTPUT_MODE_CURRENT) {
        reader.outputWidth = width;
        reader.outputHeight = height;
    }
}
const wl_output_listener kOutputListener = {OnGeometry, OnMode, nullptr, nullptr, nullptr, nullptr};

void OnGlobal(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    std::string_view is = interface;
    if (is == wl_shm_interface.name)
        reader.shm = (wl_shm*)wl_registry_bind(registry, name, &wl_shm_interface, 1);
    else if (is == wl_output_interface.name && !reader.output) {
        reader.output = (wl_output*)wl_registry_bind(registry, name, &wl_output_interface, 1);
        wl_output_add_listener(reader.output, &kOutputListener, nullptr);
    } else if (is == zwlr_screencopy_manager_v1_interface.name)
        reader.copier = (zwlr_screencopy_manager_v1*)wl_registry_bind(
            registry, name, &zwlr_screencopy_manager_v1_interface, 1);
}
void OnGlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

// The first copy says what buffer it wants; every copy after takes the same.
void OnBuffer(void*, zwlr_screencopy_frame_v1* copy, uint32_t format, uint32_t width,
              uint32_t height, uint32_t stride) {
    if (!reader.buffer) {
        int file = memfd_create("band", 0);
        size_t size = (size_t)stride * height;
        if (file < 0 || ftruncate(file, (off_t)size) != 0) {
            reader.failed = true;
            return;
        }
        reader.pixels =
            (unsigned char*)mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
        wl_shm_pool* pool = wl_shm_create_pool(reader.shm, file, (int32_t)size);
        reader.buffer = wl_shm_pool_create_buffer(pool, 0, (int32_t)width, (int32_t)height,
                                                  (int32_t)stride, format);
        wl_shm_pool_destroy(pool);
        close(file);
        reader.width = width;
        reader.height = height;
        reader.stride = stride;
    }
    zwlr_screencopy_frame_v1_copy(copy, reader.buffer);
}
void OnFlags(void*, zwlr_screencopy_frame_v1*, uint32_t) {}
void OnReady(void*, zwlr_screencopy_frame_v1*, uint32_t secondsHigh, uint32_t secondsLow,
             uint32_t nanoseconds) {
    double seconds = (double)(((uint64_t)secondsHigh << 32) | secondsLow);
    reader.renderedAt = seconds * 1000.0 + nanoseconds / 1e6;
    reader.done = true;
}
void OnFailed(void*, zwlr_screencopy_frame_v1*) {
    reader.failed = true;
}
// Bound at version 1: the later events never come.
const zwlr_screencopy_frame_v1_listener kCopyListener = {OnBuffer, OnFlags, OnReady, OnFailed,
                                                         nullptr,  nullptr, nullptr};

// Copies the band at the next output frame; false when the copy failed.
bool ReadBand(wl_display* display) {
    reader.done = false;
    reader.copy = zwlr_screencopy_manager_v1_capture_output_region(
        reader.copier, 0, reader.output, 0, reader.outputHeight - kBandHeight, reader.outputWidth,
        kBandHeight);
    zwlr_screencopy_frame_v1_add_listener(reader.copy, &kCopyListener, nullptr);
    while (!reader.done && !reader.failed) {
        if (wl_display_dispatch(display) < 0)
            return false;
    }
    zwlr_screencopy_frame_v1_destroy(reader.copy);
    return !reader.failed;
}

// Half the band in the colour (within 3 per channel): a frame is shown.
// The shm formats a compositor copies into are 32-bit, blue in the low byte.
bool ShowsFrame() {
    long matching = 0;
    for (uint32_t y = 0; y < reader.height; y++) {
        const uint32_t* row = (const uint32_t*)(reader.pixels + (size_t)y * reader.stride);
        for (uint32_t x = 0; x < reader.width; x++) {
            int r = (int)(row[x] >> 16 & 255), g = (int)(row[x] >> 8 & 255),
                b = (int)(row[x] & 255);
            matching += abs(r - reader.colour[0]) <= 3 && abs(g - reader.colour[1]) <= 3 &&
                        abs(b - reader.colour[2]) <= 3;
        }
    }
    return matching >= (long)reader.width * reader.height / 2;
}

} // namespace

int main(int argc, char** argv) {
    reader.colour[0] = 26, reader.colour[1] = 26, reader.colour[2] = 51;
    double timeout = 30;
    int i = 1;
    for (; i < argc && strcmp(argv[i], "--") != 0; i++) {
        if (!strcmp(argv[i], "--colour") && i + 1 < argc) {
            if (sscanf(argv[++i], "%d,%d,%d", &reader.colour[0], &reader.colour[1],
                       &reader.colour[2]) != 3)
                return 2;
        } else if (!strcmp(argv[i], "--timeout") && i + 1 < argc) {
            timeout = atof(argv[++i]);
        } else {
            fprintf(stderr, "first_frame_wayland: unknown option %s\n", argv[i]);
            return 2;
        }
    }
    if (i + 1 >= argc) {
        fprintf(stderr,
                "usage: first_frame_wayland [--colour R,G,B] [--timeout S] -- PROGRAM ARGS...\n");
        return 2;
    }
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        fprintf(stderr, "first_frame_wayland: no Wayland compositor\n");
        return 2;
    }
    wl_registry_add_listener(wl_display_get_registry(display), &kRegistryListener, nullptr);
    // The globals, then the output's mode.
    if (wl_display_roundtrip(display) < 0 || wl_display_roundtrip(display) < 0 || !reader.shm ||
        !reader.output || !reader.copier || reader.outputHeight < kBandHeight) {
        fprintf(stderr, "first_frame_wayland: the compositor offers no output or screen copy\n");
        return 2;
    }
    // What an earlier program left must be gone first.
    for (double wait = Now(); !ReadBand(display) || ShowsFrame();) {
        if (Now() - wait > 5000) {
            fprintf(stderr, "first_frame_wayland: the output shows the colour before the start\n");
            return 2;
        }
    }

    double start = Now();
    pid_t child = StartQuietly(argv + i + 1);
    if (child < 0)
        return 2;
    while (Now() - start < timeout * 1000) {
        if (!ReadBand(display))
            break;
        if (ShowsFrame()) {
            // The compositor's own time of that output frame, when it gives one.
            double at = reader.renderedAt >= start && reader.renderedAt <= Now() ? reader.renderedAt
                                                                                 : Now();
            printf("%.1f %d\n", at - start, (int)child);
            return 0;
        }
    }
    fprintf(stderr, "first_frame_wayland: no frame within %g s\n", timeout);
    printf("timeout %d\n", (int)child);
    return 1;
}
