// hangingmobile as a good neighbour on X: no frames while nobody can see
// them, XScreenSaver's options, an end at SIGTERM, and what it is handed
// (pipes in the file's place, unreadable files, huge or InputOnly windows,
// a window destroyed under it) never hanging or crashing it.
// gtest first: X11's None macro would break its headers.
#include <gtest/gtest.h>

#include <algorithm>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "x11_harness.h"

namespace {

// Ticks of CPU (user and system) the process has used, from /proc.
long CpuTicks(pid_t pid) {
    FILE* stat = fopen(("/proc/" + std::to_string(pid) + "/stat").c_str(), "r");
    if (!stat)
        return -1;
    long user = -1, system = -1;
    // pid (comm) state, then ten fields before utime and stime.
    int read =
        fscanf(stat, "%*d %*s %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %ld %ld", &user, &system);
    fclose(stat);
    return read == 2 ? user + system : -1;
}

double Now() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

class Citizen : public ProgramOnPrivateDisplay {
  protected:
    // The built-in mobile drawn, and drawn anew: frames are coming.
    bool DrawsMobile(Window window) {
        Census first, later;
        return PollUntil(60,
                         [&] {
                             return TakeCensus(x.display, window, first) && first.cloud > 100 &&
                                    first.green > 100;
                         }) &&
               PollUntil(30, [&] {
                   return TakeCensus(x.display, window, later) && Difference(first, later) > 0.001;
               });
    }

    // The wall time the program takes to use `ticks` of CPU (a busy machine
    // gives it less of a core), or a negative time if not within `limit`.
    double WallForCpu(long ticks, double limit) {
        long before = CpuTicks(program.pid);
        double start = Now();
        if (!PollUntil(limit, [&] { return CpuTicks(program.pid) - before >= ticks; }))
            return -1;
        return Now() - start;
    }

    // The program's CPU over `seconds` of wall time, in ticks.
    long CpuOver(double seconds) {
        long before = CpuTicks(program.pid);
        usleep((useconds_t)(seconds * 1e6));
        return CpuTicks(program.pid) - before;
    }

    bool Says(const std::string& part) {
        return PollUntil(30, [&] { return ReadErrors(program).find(part) != std::string::npos; });
    }
};

TEST_F(Citizen, UnmappedOrCoveredItDrawsNothingAndShownAgainItDraws) {
    Window window = MakeWindow(320, 240);
    // As fast as it can, so that the figure while shown is large.
    Start({"--window-id", HexId(window), "--delay", "0"});
    ASSERT_TRUE(DrawsMobile(window)) << ReadErrors(program);
    // Unseen, over as long as it took to use this much CPU shown.
    const long shown = 40;
    double wall = WallForCpu(shown, 120);
    ASSERT_GT(wall, 0) << "drawing as fast as it can used almost no CPU";

    XUnmapWindow(x.display, window);
    XSync(x.display, False);
    long unmapped = CpuOver(wall);
    XMapWindow(x.display, window);
    XSync(x.display, False);
    EXPECT_TRUE(DrawsMobile(window)) << "not drawn again once mapped";

    Window cover = MakeWindow(400, 300);
    long covered = CpuOver(wall);
    XDestroyWindow(x.display, cover);
    XSync(x.display, False);
    EXPECT_TRUE(DrawsMobile(window)) << "not drawn again once uncovered";

    EXPECT_LE(unmapped * 5, shown) << unmapped << " ticks unmapped, " << shown << " shown";
    EXPECT_LE(covered * 5, shown) << covered << " ticks covered, " << shown << " shown";
}

// The lower-left corner's white pixels, where --fps writes.
long CornerInk(const Census& census) {
    long ink = 0;
    for (int y = census.height - 60; y < census.height; y++) {
        for (int x = 0; x < 200; x++) {
            unsigned p = census.rgb[(size_t)y * census.width + x];
            ink += (p >> 16 & 255) > 200 && (p >> 8 & 255) > 200 && (p & 255) > 200;
        }
    }
    return ink;
}

TEST_F(Citizen, FpsWritesInTheLowerLeftCorner) {
    // A red board in the middle and sky round it: nothing white of its own.
    std::string board = WriteFile("fps-board.txt", Board("1,0,0"));
    auto ink = [&](const std::vector<std::string>& fps, bool written) {
        Window window = MakeWindow(400, 300); // new, with no earlier run's picture
        std::vector<std::string> arguments = {"--window-id", HexId(window),   "--longitude",
                                              "90",          "--description", board};
        arguments.insert(arguments.end(), fps.begin(), fps.end());
        Start(arguments);
        Census census;
        long found = -1;
        // Once the board is drawn the frame is whole, figures and all.
        PollUntil(60, [&] {
            if (!TakeCensus(x.display, window, census) || census.red < 500)
                return false;
            found = CornerInk(census);
            return !written || found > 30;
        });
        Kill(program);
        return found;
    };
    EXPECT_GT(ink({"--fps"}, true), 30);
    EXPECT_GT(ink({"-fps"}, true), 30);
    EXPECT_EQ(ink({}, false), 0);
    EXPECT_EQ(ink({"--fps", "--no-fps"}, false), 0);
}

TEST_F(Citizen, XScreenSaversOptionsAreAcceptedAndAVisualIsHonoured) {
    Visual* defaultVisual = DefaultVisual(x.display, DefaultScreen(x.display));
    std::string defaultId = HexId(XVisualIDFromVisual(defaultVisual));
    const std::vector<std::string> runs[] = {
        {"--visual", "best"}, {"-visual", "default"}, {"--visual", defaultId},
        {"--install"},        {"-noinstall"},         {"--mono"},
        {"--sync"},
    };
    for (const std::vector<std::string>& arguments : runs) {
        Start(arguments);
        Window window = 0;
        ASSERT_TRUE(PollUntil(30, [&] { return (window = FindProgramWindow(x.display)) != 0; }))
            << arguments[0] << ": " << ReadErrors(program);
        EXPECT_TRUE(DrawsMobile(window)) << arguments[0] << ": " << ReadErrors(program);
        if (arguments.size() > 1 && arguments[1] != "best") {
            XWindowAttributes attributes;
            XGetWindowAttributes(x.display, window, &attributes);
            EXPECT_EQ(HexId(XVisualIDFromVisual(attributes.visual)), defaultId) << arguments[1];
        }
        EXPECT_EQ(ReadErrors(program), "") << arguments[0];
        Kill(program);
        PollUntil(30, [&] { return FindProgramWindow(x.display) == 0; });
    }
}

// Its handler for `signal` is installed.
bool Catches(pid_t pid, int signal) {
    FILE* file = fopen(("/proc/" + std::to_string(pid) + "/status").c_str(), "r");
    unsigned long long caught = 0;
    char line[256];
    while (file && fgets(line, sizeof line, file))
        sscanf(line, "SigCgt: %llx", &caught);
    if (file)
        fclose(file);
    return caught >> (signal - 1) & 1;
}

// frame_trace.c's lines in the order they came: how many swaps after the
// first stop, -1 when no stop was handled.
int SwapsAfterStop(const std::string& errors) {
    size_t stop = errors.find("trace: stop\n");
    if (stop == std::string::npos)
        return -1;
    int swaps = 0;
    for (size_t at = errors.find("trace: swap\n", stop); at != std::string::npos;
         at = errors.find("trace: swap\n", at + 1))
        swaps++;
    return swaps;
}

// What matters is the order, not the time: once the handler has run, no
// frame begins (the one under way may still be swapped).
TEST_F(Citizen, SigtermAndSigintEndItBetweenFramesAndCleanly) {
    Window window = MakeWindow(320, 240);
    // Drawing, and asleep behind an unmapped window.
    for (bool hidden : {false, true}) {
        for (int signal : {SIGTERM, SIGINT}) {
            XMapWindow(x.display, window);
            XSync(x.display, False);
            Start({"--window-id", HexId(window)}, {"LD_PRELOAD+=" FRAME_TRACE});
            ASSERT_TRUE(DrawsMobile(window)) << ReadErrors(program);
            if (hidden) {
                XUnmapWindow(x.display, window);
                XSync(x.display, False);
            }
            kill(program.pid, signal);
            // Zero: it ended of itself, with no signal and no core.
            EXPECT_EQ(WaitForExit(program, 60), 0)
                << strsignal(signal) << (hidden ? " while hidden: " : ": ") << ReadErrors(program);
            int swaps = SwapsAfterStop(ReadErrors(program));
            EXPECT_GE(swaps, 0) << "the handler never ran";
            EXPECT_LE(swaps, 1) << strsignal(signal) << (hidden ? " while hidden" : "");
        }
    }
}

// A display that never lets it start: it ends at SIGTERM (status 0), and
// left alone it gives up with one line (status 1). Its memory stays small.
TEST_F(Citizen, AStartThatNeverEndsEndsAtSigtermOrIsGivenUp) {
    const long kPeakKilobytes = 100 << 10;
    // A socket that takes the connection and never answers.
    std::string silentName = ":" + std::to_string(6000 + getpid() % 3000);
    std::string silent = "/tmp/.X11-unix/X" + silentName.substr(1);
    int listening = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    snprintf(address.sun_path, sizeof address.sun_path, "%s", silent.c_str());
    unlink(silent.c_str());
    ASSERT_EQ(bind(listening, (sockaddr*)&address, sizeof address), 0) << silent;
    ASSERT_EQ(listen(listening, 4), 0);
    std::string fifo = ScratchPath("xauthority.fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        std::string display;
        std::vector<std::string> environment;
    } cases[] = {
        {silentName, {}}, {x.name, {"XAUTHORITY=/dev/zero"}}, {x.name, {"XAUTHORITY=" + fifo}}};
    for (const Case& c : cases) {
        program = StartProcess({ProgramPath(), "--root"}, c.display, c.environment);
        ASSERT_TRUE(PollUntil(30, [&] { return Catches(program.pid, SIGTERM); }));
        kill(program.pid, SIGTERM);
        EXPECT_EQ(WaitForExit(program, 60), 0) << c.display << ": " << ReadErrors(program);
        EXPECT_LT(program.peakKilobytes, kPeakKilobytes) << c.display;
    }
    program = StartProcess({ProgramPath(), "--root"}, silentName);
    EXPECT_EQ(WaitForExit(program, 120), 1);
    EXPECT_EQ(ReadErrors(program),
              "hangingmobile: gave up starting on the X display " + silentName + " after 20 s\n");
    close(listening);
    unlink(silent.c_str());
}

// Killed under it, the X server takes nothing with it: one line, status 1,
// and (under the sanitizers) nothing left unfreed.
TEST_F(Citizen, TheXServerGoneEndsItWithOneLine) {
    const std::vector<std::string> runs[] = {{"--root", "--fps"}, {"--window"}};
    for (const std::vector<std::string>& arguments : runs) {
        if (!x.display) {
            ASSERT_TRUE(StartPrivateDisplay(x));
        }
        Start(arguments);
        Window window = 0;
        ASSERT_TRUE(PollUntil(30, [&] {
            return (window = arguments[0] == "--root" ? DefaultRootWindow(x.display)
                                                      : FindProgramWindow(x.display)) != 0;
        }));
        ASSERT_TRUE(DrawsMobile(window)) << ReadErrors(program);
        XCloseDisplay(x.display); // the test's own connection would end the test
        x.display = nullptr;
        kill(x.server, SIGKILL);
        waitpid(x.server, nullptr, 0);
        x.server = -1;
        EXPECT_EQ(WaitForExit(program, 60), 1) << arguments[0];
        EXPECT_EQ(ReadErrors(program), "hangingmobile: lost the X display " + x.name + "\n");
        StopPrivateDisplay(x);
    }
}

// A child mapped in an unmapped parent cannot be seen: no frame until the
// parent is mapped.
TEST_F(Citizen, AWindowInAnUnmappedParentGetsNoFrames) {
    Window parent =
        XCreateSimpleWindow(x.display, DefaultRootWindow(x.display), 0, 0, 320, 240, 0, 0, 0);
    Window window = XCreateSimpleWindow(x.display, parent, 0, 0, 320, 240, 0, 0, 0);
    XMapWindow(x.display, window);
    XSync(x.display, False);
    Start({"--window-id", HexId(window)}, {"LD_PRELOAD+=" FRAME_TRACE});
    // Asleep between frames (the only place it polls) with no frame drawn.
    ASSERT_TRUE(PollUntil(60, [&] { return InSystemCall(program.pid, SYS_ppoll); }))
        << ReadErrors(program);
    EXPECT_EQ(ReadErrors(program).find("trace: swap"), std::string::npos);
    XMapWindow(x.display, parent);
    XSync(x.display, False);
    EXPECT_TRUE(DrawsMobile(window)) << ReadErrors(program);
}

// Its owner destroys the window as OpenGL starts on it, at the worst moment
// the X server allows (destroy_at_make_current.c): it ends with status 0,
// and what OpenGL would size from the gone window never takes gigabytes.
TEST_F(Citizen, AWindowDestroyedAsOpenGlStartsEndsItQuietly) {
    const long kPeakKilobytes = 200 << 10;
    Window window = MakeWindow(320, 240);
    Start({"--window-id", HexId(window)}, {"LD_PRELOAD+=" DESTROY_AT_MAKE_CURRENT});
    EXPECT_EQ(WaitForExit(program, 60), 0) << ReadErrors(program);
    EXPECT_LT(program.peakKilobytes, kPeakKilobytes);
    std::string errors = ReadErrors(program);
    EXPECT_LE(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
}

TEST_F(Citizen, AGivenWindowItCannotDrawInEndsWithOneLine) {
    XSetWindowAttributes attributes = {};
    Window inputOnly = XCreateWindow(x.display, DefaultRootWindow(x.display), 0, 0, 100, 100, 0, 0,
                                     InputOnly, CopyFromParent, 0, &attributes);
    XMapWindow(x.display, inputOnly);
    XSync(x.display, False);
    Start({"--window-id", HexId(inputOnly)});
    EXPECT_EQ(WaitForExit(program, 30), 1);
    EXPECT_EQ(ReadErrors(program), "hangingmobile: OpenGL cannot draw in window " +
                                       HexId(inputOnly) + " (it is InputOnly)\n");

    Start({"--visual", "0x7ffff"});
    EXPECT_EQ(WaitForExit(program, 30), 1);
    EXPECT_EQ(ReadErrors(program), "hangingmobile: OpenGL cannot draw with visual 0x7ffff\n");
}

TEST_F(Citizen, AWindowLargerThanOpenGlCanDrawIsSaidOnceAndWaitedOut) {
    Window window = MakeWindow(320, 240);
    Start({"--window-id", HexId(window), "--delay", "0"});
    ASSERT_TRUE(DrawsMobile(window)) << ReadErrors(program);
    XResizeWindow(x.display, window, 32767, 32767);
    XSync(x.display, False);
    ASSERT_TRUE(Says("larger than OpenGL can draw"))
        << ReadErrors(program) << (Running(program) ? "(running)" : "(ended)");
    EXPECT_TRUE(Running(program));
    XResizeWindow(x.display, window, 320, 240);
    XSync(x.display, False);
    EXPECT_TRUE(DrawsMobile(window)) << ReadErrors(program);
    std::string errors = ReadErrors(program);
    EXPECT_EQ(errors.find("larger than"), errors.rfind("larger than")) << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
}

// The window destroyed under it: it ends with status 0, its context
// released (under the sanitizers, a context left behind is a leak, and a
// leak is a non-zero status).
TEST_F(Citizen, AGivenWindowDestroyedEndsItCleanly) {
    Window window = MakeWindow(320, 240);
    Start({"--window-id", HexId(window)});
    ASSERT_TRUE(DrawsMobile(window)) << ReadErrors(program);
    XDestroyWindow(x.display, window);
    XSync(x.display, False);
    EXPECT_EQ(WaitForExit(program, 60), 0) << ReadErrors(program);
}

TEST_F(Citizen, APipeSwappedInForTheWatchedFileNeverHangsIt) {
    // The file lies some 1,700 folders deep: every look at its name and every
    // open walks them all, which widens the moment between a look and the
    // open after it from microseconds to a good part of a millisecond.
    std::string folder = ScratchPath("deep");
    mkdir(folder.c_str(), 0700);
    while (folder.size() < 3500) {
        folder += "/d";
        mkdir(folder.c_str(), 0700);
    }
    std::string path = folder + "/swapped.txt";
    std::string blue = WriteFile("swapped.blue", Board("0,0,1"));
    unlink(path.c_str());
    ASSERT_EQ(link(WriteFile("swapped.red", Board("1,0,0")).c_str(), path.c_str()), 0);
    Window window = MakeWindow(320, 240);
    Start({"--window-id", HexId(window), "--longitude", "90", "--description", path, "--watch"});
    auto shows = [&](long Census::*colour) {
        Census census;
        return PollUntil(60, [&] {
            return TakeCensus(x.display, window, census) && census.Share(census.*colour) > 0.05;
        });
    };
    ASSERT_TRUE(shows(&Census::red)) << ReadErrors(program);

    // A pipe and a regular file renamed over the name by turns, as fast as
    // they go (from a handle on the folder, without the walk), while the
    // program looks at the name some twenty times.
    pid_t swapper = fork();
    if (swapper == 0) {
        int deep = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
        for (time_t end = time(nullptr) + 5; time(nullptr) < end;) {
            for (int round = 0; round < 100; round++) {
                mkfifoat(deep, "pipe", 0600);
                renameat(deep, "pipe", deep, "swapped.txt");
                linkat(AT_FDCWD, blue.c_str(), deep, "regular", 0);
                renameat(deep, "regular", deep, "swapped.txt");
            }
        }
        _exit(0);
    }
    ASSERT_TRUE(PollUntil(120, [&] { return waitpid(swapper, nullptr, WNOHANG) == swapper; }));
    // Regular again at the end: read, and the frames go on.
    EXPECT_TRUE(shows(&Census::blue)) << ReadErrors(program);
    EXPECT_TRUE(Running(program));

    // At the start, a pipe is refused at once.
    Kill(program);
    std::string pipe = ScratchPath("swapped.fifo");
    unlink(pipe.c_str());
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    Start({"--window-id", HexId(window), "--description", pipe});
    EXPECT_EQ(WaitForExit(program, 30), 1);
    EXPECT_EQ(ReadErrors(program), "hangingmobile: cannot read " + pipe + ": not a regular file\n");
}

TEST_F(Citizen, AFileItCannotReadIsToldWithTheSystemsReason) {
    Window window = MakeWindow(320, 240);
    std::string loop = ScratchPath("loop.txt");
    unlink(loop.c_str());
    ASSERT_EQ(symlink(loop.c_str(), loop.c_str()), 0);
    Start({"--window-id", HexId(window), "--description", loop});
    EXPECT_EQ(WaitForExit(program, 30), 1);
    EXPECT_EQ(ReadErrors(program),
              "hangingmobile: cannot read " + loop + ": Too many levels of symbolic links\n");

    // A file only its owner may read, read by someone else (root reads
    // anything, so the program then runs as nobody, from a copy in a folder
    // that user may enter: the build tree may be closed to it).
    std::string secret = WriteFile("secret.txt", Board("1,0,0"));
    ASSERT_EQ(chmod(secret.c_str(), 0600), 0);
    std::vector<std::string> argv = {ProgramPath(), "--window-id", HexId(window), "--description",
                                     secret};
    char folder[] = "/tmp/hm-nobody-XXXXXX";
    if (geteuid() == 0) {
        ASSERT_NE(mkdtemp(folder), nullptr);
        ASSERT_EQ(chmod(folder, 0755), 0);
        argv[0] = std::string(folder) + "/hangingmobile";
        ASSERT_EQ(system(("cp '" + ProgramPath() + "' " + argv[0]).c_str()), 0);
        argv.insert(argv.begin(), {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    } else {
        ASSERT_EQ(chmod(secret.c_str(), 0), 0);
    }
    // Nothing preloaded from the build tree, which nobody may not reach
    // either (this way out was checked for leaks with the loop above).
    program = StartProcess(argv, x.name, {"LD_PRELOAD=", "ASAN_OPTIONS=detect_leaks=0"});
    EXPECT_EQ(WaitForExit(program, 30), 1);
    EXPECT_EQ(ReadErrors(program),
              "hangingmobile: cannot read " + secret + ": Permission denied\n");
    if (geteuid() == 0)
        system(("rm -rf " + std::string(folder)).c_str());
}

} // namespace
