// What the Wayland tests share: a headless sway of the test's own, run as
// an unprivileged user (sway refuses root) on a private runtime folder, the
// real hangingmobile-wayland on it, and its outputs read back with grim.
// KWin's test (kwin_test.cpp) runs its clients the same way.
#pragma once

#include <gtest/gtest.h>

#include "tests/linux/harness.h"

struct PrivateSway {
    pid_t server = -1;
    std::string folder;  // ours: the configuration and the runtime folder
    std::string runtime; // XDG_RUNTIME_DIR, the user's own
    std::string socket;  // WAYLAND_DISPLAY
    std::string ipc;     // SWAYSOCK
    int errors = -1;     // its standard error
    // A keyboard and a pointer: a headless seat has them only while a
    // virtual keyboard and a virtual pointer exist.
    Process keyboard, pointer;
};
// Starts sway with one output, HEADLESS-1, of 1024 x 768, and a keyboard
// and a pointer on its seat.
bool StartSway(PrivateSway& sway);
void StopSway(PrivateSway& sway);
std::string SwayErrors(const PrivateSway& sway);

// `argv` run as the unprivileged user with `environment`.
Process StartAsUser(std::vector<std::string> argv, const std::vector<std::string>& environment);
// Runs `argv` as the user to its end, its standard output in `out`; whether it
// ended with status 0.
bool CaptureAsUser(const std::vector<std::string>& environment,
                   const std::vector<std::string>& argv, std::string& out);
// A binary PPM file's pixels.
bool ReadPpm(const std::string& ppm, Census& census);

// `argv` run as the unprivileged user, with the compositor's environment.
Process StartOnSway(const PrivateSway& sway, std::vector<std::string> argv,
                    const std::vector<std::string>& environment = {});
// Runs a client to its end; its exit status, -1 when it did not end in 30 s.
int RunOnSway(const PrivateSway& sway, const std::vector<std::string>& argv);
// swaymsg COMMAND... ; its status.
int Swaymsg(const PrivateSway& sway, const std::vector<std::string>& command);

// Runs a client to its end, its standard output in `out`; whether it
// ended with status 0.
bool Capture(const PrivateSway& sway, const std::vector<std::string>& argv, std::string& out);
// One output read back with grim.
bool Grab(const PrivateSway& sway, const std::string& output, Census& census);
// Writes a read-back as a PPM file, for the README's picture.
bool SavePicture(const Census& census, const std::string& path);
// The share of pixels of exactly the colour 0xRRGGBB.
double ShareOf(const Census& census, unsigned rgb);

// Until standard error holds `text` `times` times, within `seconds`.
bool WaitForErrors(const Process& process, const std::string& text, double seconds, int times = 1);

// A scratch file the unprivileged user can read.
std::string WriteForUser(const std::string& name, const std::string& text);

std::string WaylandProgramPath();

// A test with a sway of its own and the program on it, killed at the end.
class ProgramOnSway : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(StartSway(sway)) << "sway did not start: " << SwayErrors(sway);
    }
    void TearDown() override {
        Kill(program);
        StopSway(sway);
    }
    void Start(const std::vector<std::string>& arguments,
               const std::vector<std::string>& environment = {});

    PrivateSway sway;
    Process program;
};
