// The options of the Linux hosts, written once: the parsers, their error text
// and the usages come from this table, and a test holds the manual pages and
// the XScreenSaver settings file against it. Nothing of X or Wayland is in
// it: each row says which hosts have it, and each host reads the values only
// it knows (ids of X windows and visuals) itself.
//
// Every option is written with two dashes or, as XScreenSaver writes its
// hacks' options, with one: --delay and -delay alike.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

enum HackOptionId {
    OptionWindow,
    OptionRoot,
    OptionWindowId,
    OptionDelay,
    OptionLatitude,
    OptionLongitude,
    OptionDescription,
    OptionWatch,
    OptionFps,
    OptionNoFps,
    OptionVisual,
    OptionSync,
    OptionInstall,
    OptionNoInstall,
    OptionMono,
    OptionSaver,
    OptionIdle,
    OptionVerbose,
    OptionHelp,
};

// Which hosts have an option.
enum HackHost {
    OnX = 1,
    OnWayland = 2,
    OnBoth = OnX | OnWayland,
};

// Whether an option's value is a whole number the table reads.
enum HackNumber {
    NoNumber,           // a switch, or a value the host reads
    NumberInRange,      // from low to high, refused outside
    DegreesKeptInRange, // whole degrees, kept from low to high as the camera keys keep them
};

struct HackOption {
    HackOptionId id;
    const char* name;     // without its dashes
    const char* alias;    // another name for it, or null
    const char* argument; // its value's name in the usage and the manual page; null for a switch
    HackNumber number;
    long low, high;    // a number's range
    long byDefault;    // a number's default
    const char* wants; // what a bad value is told it wants (before a number's range)
    const char* help;  // the usage's line, without a number's range and default;
                       // null: said with the next option's
    int hosts;         // HackHost bits
};

extern const HackOption kHackOptions[];
extern const size_t kHackOptionCount;

const HackOption& HackOptionOf(HackOptionId id);

// The option of `host` that `argument` names, or null.
const HackOption* FindHackOption(const char* argument, HackHost host);

// A number option's value; false for one that is no whole number or out of
// the option's bounds.
bool ReadHackNumber(const HackOption& option, const char* text, long& value);

// What "--NAME wants ..." says of a bad value.
void DescribeWanted(const HackOption& option, char* text, size_t size);

// The usage's lines for the options, in the table's order.
void PrintHackOptions(FILE* out, HackHost host);

// Reads argv[i] as an option of `host`, and its value (argv[i + 1], taken:
// `i` moves on) when it has one: "" for a switch. False, with a one-line
// reason in `error`, for an unknown option or a missing value.
bool ReadHackArgument(int argc, char** argv, int& i, HackHost host, const HackOption*& option,
                      const char*& value, char* error, size_t errorSize);

// "ARGUMENT wants ...", the reason for a bad value.
void SayBadValue(const HackOption& option, const char* argument, char* error, size_t errorSize);

// What the options both hosts have ask.
struct CommonOptions {
    long delayMicroseconds; // between frames
    int32_t latitude;       // camera start, kept in range once finished
    int32_t longitude;
    const char* description; // a file to show instead of the built-in mobile, or null
    bool watch;              // re-read the description whenever it changes
    bool help;
    long latitudeRead, longitudeRead; // as given
};

CommonOptions DefaultCommonOptions();

// True when `option` is one of both hosts', its value read into `common`;
// `good` is false for a bad value.
bool ReadCommonOption(const HackOption& option, const char* value, CommonOptions& common,
                      bool& good);

// After the last option: --watch wants a description, the camera is kept in
// range. False with a one-line reason.
bool FinishCommonOptions(CommonOptions& common, char* error, size_t errorSize);
