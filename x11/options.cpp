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

// An option only the hack has; false for a bad value.
static bool ReadXOption(const HackOption& option, const char* value, HackOptions& options,
                        bool& root, bool& givenWindow) {
    switch (option.id) {
    case OptionRoot:
        root = true;
        return true;
    case OptionFps:
    case OptionNoFps:
        options.fps = option.id == OptionFps;
        return true;
    case OptionSync:
        options.sync = true;
        return true;
    case OptionWindowId:
        givenWindow = true;
        return ReadXId(value, options.windowId);
    case OptionVisual:
        return ReadVisual(value, options);
    default:
        // --window, the default; and XScreenSaver's colormap and colour
        // options: our own window always has a colormap of its own, and
        // OpenGL always draws in colour, so there is nothing for them to
        // change.
        return true;
    }
}

bool ReadHackOptions(int argc, char** argv, const char* screensaverWindow, HackOptions& options,
                     char* error, size_t errorSize) {
    options = HackOptions{};
    options.common = DefaultCommonOptions();
    bool givenWindow = false, root = false;
    for (int i = 1; i < argc; i++) {
        const char* argument = argv[i];
        const HackOption* option;
        const char* value;
        if (!ReadHackArgument(argc, argv, i, OnX, option, value, error, errorSize))
            return false;
        bool good = true;
        if (!ReadCommonOption(*option, value, options.common, good))
            good = ReadXOption(*option, value, options, root, givenWindow);
        if (!good) {
            SayBadValue(*option, argument, error, errorSize);
            return false;
        }
    }
    if (!FinishCommonOptions(options.common, error, errorSize))
        return false;
    if (screensaverWindow && *screensaverWindow) {
        if (!ReadXId(screensaverWindow, options.windowId)) {
            snprintf(error, errorSize, "XSCREENSAVER_WINDOW=%s is no window id",
                     OneLine(screensaverWindow).c_str());
            return false;
        }
        givenWindow = true;
    }
    options.where = givenWindow ? DrawInGivenWindow : root ? DrawOnRoot : DrawInOwnWindow;
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
