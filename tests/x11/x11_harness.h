// What the X11 tests add: a private X server, the real hangingmobile on it,
// and the pixels of a window read back.
#pragma once

// gtest first: X11's None macro would break its headers.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include "tests/linux/harness.h"

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

// Where the real program and the checker are.
std::string ProgramPath();
std::string CheckerPath();

bool TakeCensus(Display* display, Window window, Census& census);

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
