#include "x11/options.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "mobile/description_file.h"
#include "scene/camera.h"
#include "scene/view.h"

// "--name" and XScreenSaver's "-name" alike.
static bool IsOption(const char* argument, const char* name) {
    if (argument[0] != '-')
        return false;
    const char* rest = argument[1] == '-' ? argument + 2 : argument + 1;
    return strcmp(rest, name) == 0;
}

// A window or visual id as XScreenSaver and xwininfo write them: decimal, or
// hex after 0x; digits only (strtoul alone would take a sign, spaces and a
// second 0x).
static bool ReadXId(const char* text, unsigned long& id) {
    int base = 10;
    const char* digits = "0123456789";
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        digits = "0123456789abcdefABCDEF";
        text += 2;
    }
    if (*text == 0 || text[strspn(text, digits)] != 0)
        return false;
    char* end;
    errno = 0;
    unsigned long value = strtoul(text, &end, base);
    if (errno != 0 || *end != 0 || value == 0 || value > 0xFFFFFFFFul)
        return false;
    id = value;
    return true;
}

static bool ReadVisual(const char* text, HackOptions& options) {
    if (strcmp(text, "best") == 0) {
        options.visual = VisualBest;
        return true;
    }
    if (strcmp(text, "default") == 0) {
        options.visual = VisualDefault;
        return true;
    }
    options.visual = VisualById;
    return ReadXId(text, options.visualId);
}

static bool ReadWhole(const char* text, long low, long high, long& value) {
    char* end;
    errno = 0;
    long read = strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != 0 || read < low || read > high)
        return false;
    value = read;
    return true;
}

bool ReadHackOptions(int argc, char** argv, const char* screensaverWindow, HackOptions& options,
                     char* error, size_t errorSize) {
    options = HackOptions{};
    options.where = DrawInOwnWindow;
    options.delayMicroseconds = (long)kFrameMilliseconds * 1000;
    long latitude = kDefaultLatitude, longitude = kDefaultLongitude;
    bool givenWindow = false, root = false;
    for (int i = 1; i < argc; i++) {
        const char* argument = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        bool bad = false;
        if (IsOption(argument, "window") || IsOption(argument, "install") ||
            IsOption(argument, "noinstall") || IsOption(argument, "mono")) {
            // The default; and XScreenSaver's colormap and colour options:
            // our own window always has a colormap of its own, and OpenGL
            // always draws in colour, so there is nothing for them to change.
            continue;
        } else if (IsOption(argument, "root")) {
            root = true;
            continue;
        } else if (IsOption(argument, "watch")) {
            options.watch = true;
            continue;
        } else if (IsOption(argument, "fps")) {
            options.fps = true;
            continue;
        } else if (IsOption(argument, "no-fps")) {
            options.fps = false;
            continue;
        } else if (IsOption(argument, "sync")) {
            options.sync = true;
            continue;
        } else if (IsOption(argument, "help") || IsOption(argument, "h")) {
            options.help = true;
            continue;
        } else if (IsOption(argument, "window-id")) {
            bad = !value || !ReadXId(value, options.windowId);
            givenWindow = true;
        } else if (IsOption(argument, "visual")) {
            bad = !value || !ReadVisual(value, options);
        } else if (IsOption(argument, "delay")) {
            bad = !value || !ReadWhole(value, 0, 10000000, options.delayMicroseconds);
        } else if (IsOption(argument, "latitude")) {
            bad = !value || !ReadWhole(value, -100000, 100000, latitude);
        } else if (IsOption(argument, "longitude")) {
            bad = !value || !ReadWhole(value, -100000, 100000, longitude);
        } else if (IsOption(argument, "description")) {
            bad = !value || !*value;
            options.description = value;
        } else {
            snprintf(error, errorSize, "unknown option %s", OneLine(argument).c_str());
            return false;
        }
        if (bad) {
            snprintf(error, errorSize, "%s wants %s", OneLine(argument).c_str(),
                     !value                              ? "a value"
                     : IsOption(argument, "window-id")   ? "a window id (decimal or 0x hex)"
                     : IsOption(argument, "description") ? "a file name"
                     : IsOption(argument, "delay")       ? "microseconds from 0 to 10000000"
                     : IsOption(argument, "visual")      ? "a visual id, default or best"
                                                         : "whole degrees");
            return false;
        }
        i++;
    }
    if (options.watch && !options.description) {
        snprintf(error, errorSize, "--watch wants --description FILE");
        return false;
    }
    if (screensaverWindow && *screensaverWindow) {
        if (!ReadXId(screensaverWindow, options.windowId)) {
            snprintf(error, errorSize, "XSCREENSAVER_WINDOW=%s is no window id",
                     OneLine(screensaverWindow).c_str());
            return false;
        }
        givenWindow = true;
    }
    options.where = givenWindow ? DrawInGivenWindow : root ? DrawOnRoot : DrawInOwnWindow;
    options.latitude = (int32_t)latitude;
    options.longitude = (int32_t)longitude;
    KeepCameraInRange(options.latitude, options.longitude);
    return true;
}

void PrintUsage(FILE* out) {
    fprintf(out,
            "usage: hangingmobile [--window | --root | --window-id ID] [--delay MICROSECONDS]\n"
            "                     [--latitude D] [--longitude D] [--description FILE [--watch]]\n"
            "                     [--fps | --no-fps] [--visual ID|default|best] [--sync]\n"
            "                     [--install | --noinstall] [--mono]\n"
            "\n"
            "Shows a hanging mobile with OpenGL, as an XScreenSaver hack or in a window of\n"
            "its own. XSCREENSAVER_WINDOW, when set, names the window to draw in.\n"
            "\n"
            "  --window            a window of its own, 800 x 600 (the default)\n"
            "  --root              the root window\n"
            "  --window-id ID      the window ID (decimal or 0x hex)\n"
            "  --delay US          microseconds between frames (default %lu)\n"
            "  --latitude D        camera height in degrees, -85 to 85 (default %d)\n"
            "  --longitude D       camera round the mobile in degrees, 0 to 360 (default %d)\n"
            "  --description FILE  show this description instead of the built-in mobile;\n"
            "                      its messages go to standard error as FILE:LINE: TEXT\n"
            "  --watch             re-read FILE whenever it changes\n"
            "  --fps               the frame rate and CPU load in the lower-left corner\n"
            "  --no-fps            without them (the default)\n"
            "  --visual V          its own window's visual: an id (decimal or 0x hex),\n"
            "                      default (the screen's) or best (the default)\n"
            "  --sync              X requests one at a time (for debugging)\n"
            "  --install, --noinstall, --mono\n"
            "                      accepted for XScreenSaver; they change nothing\n"
            "\n"
            "In its own window: arrow keys turn the camera by 1 degree, Home and End by\n"
            "15 degrees round, Page Up and Page Down by 15 degrees in height; q or Escape\n"
            "closes it.\n",
            (unsigned long)kFrameMilliseconds * 1000, (int)kDefaultLatitude,
            (int)kDefaultLongitude);
}
