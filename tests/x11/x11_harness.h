// What the X11 tests share: a private X server, the real hangingmobile as a
// process, and the pixels of a window read back and sorted by colour.
#pragma once

// gtest first: X11's None macro would break its headers.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

// An Xvfb of the test's own, 1024 x 768 x 24, on a free display number, so
// that nothing else on the machine draws over what a test reads back.
struct PrivateDisplay {
    pid_t server = -1;
    std::string name; // ":N"
    Display* display = nullptr;
};
// Extra Xvfb arguments, e.g. "-ac" for clients of another user.
bool StartPrivateDisplay(PrivateDisplay& display, const std::vector<std::string>& extra = {});
void StopPrivateDisplay(PrivateDisplay& display);

struct Process {
    pid_t pid = -1;
    int errors = -1;         // an unlinked file that receives the program's standard error
    long peakKilobytes = -1; // its largest resident size, once it has ended
};
// Starts `argv` with DISPLAY set and `environment` ("NAME=VALUE") added
// ("LD_PRELOAD+=LIBRARY" adds to what is preloaded already); standard error
// goes to a temporary file, or to `errorsTo` when one is given.
Process StartProcess(const std::vector<std::string>& argv, const std::string& displayName,
                     const std::vector<std::string>& environment = {}, int errorsTo = -1);
// The exit status once it has ended, -1 if it has not ended within `seconds`
// (it is then killed), 128 + N for a signal.
int WaitForExit(Process& process, double seconds);
void Kill(Process& process);
std::string ReadErrors(const Process& process);
bool Running(const Process& process);

// The process's main thread is in the system call `number` now (a read of
// /proc: a state, not a guess of how long anything takes).
bool InSystemCall(pid_t pid, long number);

// Polls `condition` every 50 ms until it holds or `seconds` have passed.
bool PollUntil(double seconds, const std::function<bool()>& condition);

// Where the real program and the checker are, and a scratch folder.
std::string ProgramPath();
std::string CheckerPath();
// A path in this test process's own folder, so that runs side by side (the
// plain and the sanitized build, two checkouts) never share a file.
std::string ScratchPath(const std::string& name);

std::string WriteFile(const std::string& name, const std::string& text);
// A description: a board of one colour ("R,G,B") facing the camera at
// longitude 90, hardly twisting, on the built-in sky.
std::string Board(const char* colour);

// One read-back of a window, sorted by the colours the mobile is made of.
struct Census {
    int width = 0, height = 0;
    long pixels = 0;
    long background = 0; // the built-in sky, (0.1, 0.1, 0.2)
    long cloud = 0;      // pale blue-grey
    long green = 0;      // the creature's body
    long red = 0;        // its spines, or a test shape
    long blue = 0;       // a test shape: pure blue
    // The box round everything that is not background (x0 > x1 when none).
    int x0 = 0, y0 = 0, x1 = -1, y1 = -1;
    std::vector<unsigned> rgb; // 0xRRGGBB per pixel, row by row
    double Share(long count) const { return pixels ? (double)count / pixels : 0; }
};
bool TakeCensus(Display* display, Window window, Census& census);
// The share of pixels that differ between two reads of the same size.
double Difference(const Census& a, const Census& b);

// The program's own top-level window (by its class), 0 while it has none.
Window FindProgramWindow(Display* display);

// A test with a private X server of its own and the program as a process,
// killed at the end if it still runs.
class ProgramOnPrivateDisplay : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(StartPrivateDisplay(x)) << "no Xvfb"; }
    void TearDown() override {
        Kill(program);
        StopPrivateDisplay(x);
    }
    void Start(const std::vector<std::string>& arguments,
               const std::vector<std::string>& environment = {});
    // A mapped window of the test's own, as XScreenSaver would make one.
    Window MakeWindow(int width, int height);

    PrivateDisplay x;
    Process program;
};

// "0x..." as XScreenSaver and xwininfo write ids.
std::string HexId(unsigned long id);
