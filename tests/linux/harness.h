// What the tests of the Linux hosts share: the real program as a process,
// scratch files, and a read-back of pixels sorted by colour.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

struct Process {
    pid_t pid = -1;
    int errors = -1;         // an unlinked file that receives the program's standard error
    long peakKilobytes = -1; // its largest resident size, once it has ended
};
// Starts `argv` with DISPLAY set (unless `displayName` is empty) and `environment` ("NAME=VALUE")
// added
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

// A path in this test process's own folder, so that runs side by side (the
// plain and the sanitized build, two checkouts) never share a file.
std::string ScratchPath(const std::string& name);

std::string WriteFile(const std::string& name, const std::string& text);
// A copy of the program or library at `path` in that folder, which any user
// may enter, read and run (made once): a build tree may lie in a folder only
// its owner can enter, and some tests run their programs as another user.
std::string CopyForAnyUser(const std::string& path);
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
// Sorts `rgb` (0xRRGGBB, row by row) into `census`.
void SortColours(int width, int height, std::vector<unsigned> rgb, Census& census);
// The share of pixels that differ between two reads of the same size.
double Difference(const Census& a, const Census& b);
