#include "x11/options.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "mobile/description_file.h"
#include "scene/camera.h"
#include "linux/option_table.h"

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

bool ReadHackOptions(int argc, char** argv, const char* screensaverWindow, HackOptions& options,
                     char* error, size_t errorSize) {
    options = HackOptions{};
    options.where = DrawInOwnWindow;
    options.delayMicroseconds = HackOptionOf(OptionDelay).byDefault;
    long latitude = HackOptionOf(OptionLatitude).byDefault;
    long longitude = HackOptionOf(OptionLongitude).byDefault;
    bool givenWindow = false, root = false;
    for (int i = 1; i < argc; i++) {
        const char* argument = argv[i];
        const HackOption* option = FindHackOption(argument, OnX);
        if (!option) {
            snprintf(error, errorSize, "unknown option %s", OneLine(argument).c_str());
            return false;
        }
        // Never null: an option without an argument that read one anyway
        // would find it empty, and say that it wants something.
        const char* value = "";
        if (option->argument) {
            if (i + 1 >= argc) {
                snprintf(error, errorSize, "%s wants a value", OneLine(argument).c_str());
                return false;
            }
            value = argv[++i];
        }
        bool good = true;
        switch (option->id) {
        case OptionWindow:
        case OptionInstall:
        case OptionNoInstall:
        case OptionMono:
            // The default; and XScreenSaver's colormap and colour options:
            // our own window always has a colormap of its own, and OpenGL
            // always draws in colour, so there is nothing for them to change.
            break;
        case OptionRoot:
            root = true;
            break;
        case OptionWatch:
            options.watch = true;
            break;
        case OptionFps:
            options.fps = true;
            break;
        case OptionNoFps:
            options.fps = false;
            break;
        case OptionSync:
            options.sync = true;
            break;
        case OptionHelp:
            options.help = true;
            break;
        case OptionSaver:
        case OptionIdle:
        case OptionVerbose:
            break; // Wayland's: never found on X
        case OptionWindowId:
            good = ReadXId(value, options.windowId);
            givenWindow = true;
            break;
        case OptionVisual:
            good = ReadVisual(value, options);
            break;
        case OptionDelay:
            good = ReadHackNumber(*option, value, options.delayMicroseconds);
            break;
        case OptionLatitude:
            good = ReadHackNumber(*option, value, latitude);
            break;
        case OptionLongitude:
            good = ReadHackNumber(*option, value, longitude);
            break;
        case OptionDescription:
            good = *value != 0;
            options.description = value;
            break;
        }
        if (!good) {
            char wanted[100];
            DescribeWanted(*option, wanted, sizeof wanted);
            snprintf(error, errorSize, "%s wants %s", OneLine(argument).c_str(), wanted);
            return false;
        }
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
    fprintf(out, "usage: hangingmobile [OPTION]...\n"
                 "\n"
                 "Shows a hanging mobile with OpenGL, as an XScreenSaver hack or in a window of\n"
                 "its own. XSCREENSAVER_WINDOW, when set, names the window to draw in. Every\n"
                 "option may also be written with one dash, as XScreenSaver writes them.\n"
                 "\n");
    PrintHackOptions(out, OnX);
    fprintf(out, "\n"
                 "In its own window: arrow keys turn the camera by 1 degree, Home and End by\n"
                 "15 degrees round, Page Up and Page Down by 15 degrees in height; q or Escape\n"
                 "closes it.\n");
}
