#include "linux/option_table.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "mobile/description_file.h"
#include "scene/camera.h"
#include "scene/view.h"

// In the order of the usage.
const HackOption kHackOptions[] = {
    {OptionWindow, "window", nullptr, nullptr, NoNumber, 0, 0, 0, nullptr,
     "a window of its own, 800 x 600 (the default)", OnBoth},
    {OptionRoot, "root", nullptr, nullptr, NoNumber, 0, 0, 0, nullptr, "the root window", OnX},
    {OptionWindowId, "window-id", nullptr, "ID", NoNumber, 0, 0, 0,
     "a window id (decimal or 0x hex)", "the window ID (decimal or 0x hex)", OnX},
    {OptionDelay, "delay", nullptr, "MICROSECONDS", NumberInRange, 0, 10000000,
     (long)kFrameMilliseconds * 1000, "microseconds", "between frames", OnBoth},
    // The ranges KeepCameraInRange keeps a start in.
    {OptionLatitude, "latitude", nullptr, "D", DegreesKeptInRange, -85, 85, kDefaultLatitude,
     "whole degrees", "camera height in degrees", OnBoth},
    {OptionLongitude, "longitude", nullptr, "D", DegreesKeptInRange, 0, 360, kDefaultLongitude,
     "whole degrees", "camera direction in degrees", OnBoth},
    {OptionDescription, "description", nullptr, "FILE", NoNumber, 0, 0, 0, "a file name",
     "show this description instead of the built-in mobile; its messages go to standard error "
     "as FILE:LINE: TEXT",
     OnBoth},
    {OptionWatch, "watch", nullptr, nullptr, NoNumber, 0, 0, 0, nullptr,
     "re-read FILE whenever it changes", OnBoth},
    {OptionFps, "fps", nullptr, nullptr, NoNumber, 0, 0, 0, nullptr,
     "the frame rate and CPU load in the lower-left corner", OnX},
    {OptionNoFps, "no-fps", nullptr, nullptr, NoNumber, 0, 0, 0, nullptr,
     "without them (the default)", OnX},
    {OptionVisual, "visual", nullptr, "ID|default|best", NoNumber, 0, 0, 0,
     "a visual id, default or best",
     "its own window's visual: an id (decimal or 0x hex), default (the screen's) or best (the "
     "default)",
     OnX},
    {OptionSync, "sync", nullptr, nullptr, NoNumber, 0, 0, 0, nullptr,
     "X requests one at a time (for debugging)", OnX},
    {OptionInstall, "install", nullptr, nullptr, NoNumber, 0, 0, 0, nullptr, nullptr, OnX},
    {OptionNoInstall, "noinstall", nullptr, nullptr, NoNumber, 0, 0, 0, nullptr, nullptr, OnX},
    {OptionMono, "mono", nullptr, nullptr, NoNumber, 0, 0, 0, nullptr,
     "accepted for XScreenSaver; they change nothing", OnX},
    {OptionSaver, "saver", nullptr, nullptr, NoNumber, 0, 0, 0, nullptr,
     "at once, full screen on every output, until the first input", OnWayland},
    {OptionIdle, "idle", nullptr, "SECONDS", NumberInRange, 1, 86400, 300, "seconds",
     "full screen on every output after SECONDS without input, until the next input; again "
     "and again",
     OnWayland},
    {OptionVerbose, "verbose", nullptr, nullptr, NoNumber, 0, 0, 0, nullptr,
     "say on standard error when it has the keyboard and what it shows", OnWayland},
    {OptionHelp, "help", "h", nullptr, NoNumber, 0, 0, 0, nullptr, "these lines", OnBoth},
};
const size_t kHackOptionCount = sizeof kHackOptions / sizeof kHackOptions[0];

// Degrees further out are no start anyone means, and would take the
// camera's sums near the limits of 32 bits.
static const long kDegreesBound = 100000;

const HackOption& HackOptionOf(HackOptionId id) {
    for (const HackOption& option : kHackOptions) {
        if (option.id == id)
            return option;
    }
    abort(); // every id has its row
}

const HackOption* FindHackOption(const char* argument, HackHost host) {
    if (argument[0] != '-')
        return nullptr;
    const char* name = argument[1] == '-' ? argument + 2 : argument + 1;
    for (const HackOption& option : kHackOptions) {
        if (!(option.hosts & host))
            continue;
        if (strcmp(name, option.name) == 0 || (option.alias && strcmp(name, option.alias) == 0))
            return &option;
    }
    return nullptr;
}

bool ReadHackNumber(const HackOption& option, const char* text, long& value) {
    long low = option.number == NumberInRange ? option.low : -kDegreesBound;
    long high = option.number == NumberInRange ? option.high : kDegreesBound;
    char* end;
    errno = 0;
    long read = strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != 0 || read < low || read > high)
        return false;
    value = read;
    return true;
}

void DescribeWanted(const HackOption& option, char* text, size_t size) {
    if (option.number == NumberInRange)
        snprintf(text, size, "%s from %ld to %ld", option.wants, option.low, option.high);
    else
        snprintf(text, size, "%s", option.wants);
}

// "--name ARGUMENT" and the alias, as the usage and the manual page write them.
static std::string Label(const HackOption& option) {
    std::string label = std::string("--") + option.name;
    if (option.argument)
        label += std::string(" ") + option.argument;
    if (option.alias)
        label += std::string(", -") + option.alias;
    return label;
}

void PrintHackOptions(FILE* out, HackHost host) {
    const size_t column = 24, width = 79;
    std::string labels;
    for (const HackOption& option : kHackOptions) {
        if (!(option.hosts & host))
            continue;
        labels += (labels.empty() ? "" : ", ") + Label(option);
        if (!option.help)
            continue;
        std::string help = option.help;
        if (option.number != NoNumber) {
            char range[80];
            snprintf(range, sizeof range, ", %ld to %ld (default %ld)", option.low, option.high,
                     option.byDefault);
            help += range;
        }
        // The label, then the help filled from the column, starting on a
        // line of its own when the label reaches into the column.
        std::string line = "  " + labels;
        if (line.size() + 2 > column) {
            fprintf(out, "%s\n", line.c_str());
            line.clear();
        }
        size_t start = 0;
        while (start < help.size()) {
            line.resize(column, ' ');
            size_t end = help.size();
            if (column + (end - start) > width) {
                end = help.rfind(' ', start + width - column);
                if (end == std::string::npos || end <= start)
                    end = help.find(' ', start);
            }
            line += help.substr(start, end - start);
            fprintf(out, "%s\n", line.c_str());
            line.clear();
            start = end == std::string::npos ? help.size() : end + 1;
        }
        labels.clear();
    }
}

bool ReadHackArgument(int argc, char** argv, int& i, HackHost host, const HackOption*& option,
                      const char*& value, char* error, size_t errorSize) {
    const char* argument = argv[i];
    option = FindHackOption(argument, host);
    if (!option) {
        snprintf(error, errorSize, "unknown option %s", OneLine(argument).c_str());
        return false;
    }
    // Never null: an option without an argument that read one anyway
    // would find it empty, and say that it wants something.
    value = "";
    if (option->argument) {
        if (i + 1 >= argc) {
            snprintf(error, errorSize, "%s wants a value", OneLine(argument).c_str());
            return false;
        }
        value = argv[++i];
    }
    return true;
}

void SayBadValue(const HackOption& option, const char* argument, char* error, size_t errorSize) {
    char wanted[100];
    DescribeWanted(option, wanted, sizeof wanted);
    snprintf(error, errorSize, "%s wants %s", OneLine(argument).c_str(), wanted);
}

CommonOptions DefaultCommonOptions() {
    CommonOptions common = {};
    common.delayMicroseconds = HackOptionOf(OptionDelay).byDefault;
    common.latitudeRead = HackOptionOf(OptionLatitude).byDefault;
    common.longitudeRead = HackOptionOf(OptionLongitude).byDefault;
    return common;
}

bool ReadCommonOption(const HackOption& option, const char* value, CommonOptions& common,
                      bool& good) {
    good = true;
    switch (option.id) {
    case OptionWatch:
        common.watch = true;
        return true;
    case OptionHelp:
        common.help = true;
        return true;
    case OptionDelay:
        good = ReadHackNumber(option, value, common.delayMicroseconds);
        return true;
    case OptionLatitude:
        good = ReadHackNumber(option, value, common.latitudeRead);
        return true;
    case OptionLongitude:
        good = ReadHackNumber(option, value, common.longitudeRead);
        return true;
    case OptionDescription:
        good = *value != 0;
        common.description = value;
        return true;
    default:
        return false;
    }
}

bool FinishCommonOptions(CommonOptions& common, char* error, size_t errorSize) {
    if (common.watch && !common.description) {
        snprintf(error, errorSize, "--watch wants --description FILE");
        return false;
    }
    common.latitude = (int32_t)common.latitudeRead;
    common.longitude = (int32_t)common.longitudeRead;
    KeepCameraInRange(common.latitude, common.longitude);
    return true;
}
