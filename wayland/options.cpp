#include "wayland/options.h"

#include "linux/option_table.h"

// An option only the Wayland program has; false for a bad value.
static bool ReadWaylandOption(const HackOption& option, const char* value,
                              WaylandOptions& options) {
    switch (option.id) {
    case OptionSaver:
        options.mode = ModeSaver;
        return true;
    case OptionIdle:
        options.mode = ModeIdle;
        return ReadHackNumber(option, value, options.idleSeconds);
    case OptionVerbose:
        options.verbose = true;
        return true;
    case OptionWindow:
        options.mode = ModeWindow; // the default
        return true;
    default:
        return true; // X's: never found here
    }
}

bool ReadWaylandOptions(int argc, char** argv, WaylandOptions& options, char* error,
                        size_t errorSize) {
    options = WaylandOptions{};
    options.mode = ModeWindow;
    options.idleSeconds = HackOptionOf(OptionIdle).byDefault;
    options.common = DefaultCommonOptions();
    for (int i = 1; i < argc; i++) {
        const char* argument = argv[i];
        const HackOption* option;
        const char* value;
        if (!ReadHackArgument(argc, argv, i, OnWayland, option, value, error, errorSize))
            return false;
        bool good = true;
        if (!ReadCommonOption(*option, value, options.common, good))
            good = ReadWaylandOption(*option, value, options);
        if (!good) {
            SayBadValue(*option, argument, error, errorSize);
            return false;
        }
    }
    if (!FinishCommonOptions(options.common, error, errorSize))
        return false;
    return true;
}

void PrintWaylandUsage(FILE* out) {
    fprintf(out, "usage: hangingmobile-wayland [OPTION]...\n"
                 "\n"
                 "Shows a hanging mobile with OpenGL on Wayland, in a window of its own or, as a\n"
                 "screen saver, full screen on every output (on compositors with layer shell).\n"
                 "\n");
    PrintHackOptions(out, OnWayland);
    fprintf(out, "\n"
                 "Arrow keys turn the camera by 1 degree, Home and End by 15 degrees round, Page\n"
                 "Up and Page Down by 15 degrees in height. In its window q or Escape closes it;\n"
                 "full screen, any other key, a button or moving the pointer ends it.\n");
}
