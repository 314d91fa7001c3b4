#include "wayland/options.h"

#include "linux/option_table.h"
#include "mobile/description_file.h"
#include "scene/camera.h"

bool ReadWaylandOptions(int argc, char** argv, WaylandOptions& options, char* error,
                        size_t errorSize) {
    options = WaylandOptions{};
    options.mode = ModeWindow;
    options.delayMicroseconds = HackOptionOf(OptionDelay).byDefault;
    options.idleSeconds = HackOptionOf(OptionIdle).byDefault;
    long latitude = HackOptionOf(OptionLatitude).byDefault;
    long longitude = HackOptionOf(OptionLongitude).byDefault;
    for (int i = 1; i < argc; i++) {
        const char* argument = argv[i];
        const HackOption* option = FindHackOption(argument, OnWayland);
        if (!option) {
            snprintf(error, errorSize, "unknown option %s", OneLine(argument).c_str());
            return false;
        }
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
            options.mode = ModeWindow;
            break;
        case OptionSaver:
            options.mode = ModeSaver;
            break;
        case OptionIdle:
            options.mode = ModeIdle;
            good = ReadHackNumber(*option, value, options.idleSeconds);
            break;
        case OptionWatch:
            options.watch = true;
            break;
        case OptionVerbose:
            options.verbose = true;
            break;
        case OptionHelp:
            options.help = true;
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
        default:
            break; // X's: never found here
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
    options.latitude = (int32_t)latitude;
    options.longitude = (int32_t)longitude;
    KeepCameraInRange(options.latitude, options.longitude);
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
