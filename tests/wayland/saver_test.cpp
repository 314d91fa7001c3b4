// hangingmobile-wayland on a real compositor: headless sway, its outputs
// read back with grim, keys sent with wtype and the pointer moved by the
// tests' virtual pointer, each only once the program has the keyboard.
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include "wayland_harness.h"

namespace {

const unsigned kEmptyOutput = 0x3f3f3f; // what sway shows where no surface is

// The mobile on an output: the built-in sky over most of it, the clouds and
// the creature, and nothing of the empty output left.
bool ShowsMobile(const PrivateSway& sway, const std::string& output, Census& census) {
    return Grab(sway, output, census) && ShareOf(census, kEmptyOutput) == 0 &&
           census.Share(census.background) > 0.5 && census.cloud > 0 && census.green > 0;
}

bool Empty(const PrivateSway& sway, const std::string& output, Census& census) {
    return Grab(sway, output, census) && ShareOf(census, kEmptyOutput) > 0.99; // and the cursor
}

long CpuTicks(pid_t pid) {
    FILE* file = fopen(("/proc/" + std::to_string(pid) + "/stat").c_str(), "r");
    long user = -1, system = -1;
    if (file) {
        // After the name in parentheses, fields 3 to 13, then utime and stime.
        if (fscanf(file, "%*d (%*[^)]) %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %ld %ld", &user,
                   &system) != 2)
            user = system = -1;
        fclose(file);
    }
    return user + system;
}

class WaylandSaver : public ProgramOnSway {
  protected:
    int Keys(const std::vector<std::string>& keys) {
        std::vector<std::string> argv = {"wtype"};
        for (const std::string& key : keys)
            argv.insert(argv.end(), {"-k", key});
        return RunOnSway(sway, argv);
    }
    int Pointer(const std::vector<std::string>& steps) {
        std::vector<std::string> argv = {CopyForAnyUser(VIRTUAL_POINTER)};
        argv.insert(argv.end(), steps.begin(), steps.end());
        return RunOnSway(sway, argv);
    }
    // Full screen, with the keyboard.
    void StartSaver(const std::vector<std::string>& more = {}) {
        std::vector<std::string> arguments = {"--saver", "--verbose"};
        arguments.insert(arguments.end(), more.begin(), more.end());
        Start(arguments);
        ASSERT_TRUE(WaitForErrors(program, "has the keyboard", 60)) << ReadErrors(program);
        ASSERT_TRUE(WaitForErrors(program, "shows a frame", 60)) << ReadErrors(program);
    }
    void ExpectEndAt(const std::string& input) {
        EXPECT_EQ(WaitForExit(program, 30), 0) << ReadErrors(program);
        EXPECT_NE(ReadErrors(program).find("ends full screen at " + input), std::string::npos)
            << ReadErrors(program);
    }
};

TEST_F(WaylandSaver, WindowShowsTheMobileMovingAndQClosesIt) {
    Start({"--window", "--verbose"});
    Census first, second;
    ASSERT_TRUE(PollUntil(60, [&] { return ShowsMobile(sway, "HEADLESS-1", first); }))
        << ReadErrors(program);
    EXPECT_EQ(first.width, 1024); // the window, tiled, fills the output
    ASSERT_TRUE(PollUntil(30, [&] {
        return Grab(sway, "HEADLESS-1", second) && Difference(first, second) > 0.0005;
    })) << "two reads of the moving mobile are the same";
    ASSERT_TRUE(WaitForErrors(program, "has the keyboard", 60)) << ReadErrors(program);
    ASSERT_EQ(Keys({"q"}), 0);
    EXPECT_EQ(WaitForExit(program, 30), 0);
}

TEST_F(WaylandSaver, SaverCoversEveryOutputAndOneAddedWhileItRuns) {
    ASSERT_EQ(Swaymsg(sway, {"create_output"}), 0);
    ASSERT_EQ(Swaymsg(sway, {"output", "HEADLESS-2", "resolution", "640x480"}), 0);
    Census census;
    ASSERT_TRUE(PollUntil(30, [&] { return Empty(sway, "HEADLESS-2", census); }));
    StartSaver();
    for (const char* output : {"HEADLESS-1", "HEADLESS-2"})
        EXPECT_TRUE(PollUntil(60, [&] { return ShowsMobile(sway, output, census); }))
            << output << ": " << census.Share(census.background) << " sky";
    EXPECT_EQ(census.width, 640);
    // The README's picture (docs/images/hangingmobile-wayland-saver.png).
    ASSERT_TRUE(ShowsMobile(sway, "HEADLESS-1", census));
    EXPECT_TRUE(SavePicture(census, "hangingmobile-wayland-saver.ppm"));
    ASSERT_EQ(Swaymsg(sway, {"create_output"}), 0);
    EXPECT_TRUE(PollUntil(60, [&] { return ShowsMobile(sway, "HEADLESS-3", census); }))
        << ReadErrors(program);
    // An output taken away is not tried: headless sway 1.7 answers its
    // disable with success and leaves the output on, and has no unplug.
    kill(program.pid, SIGINT);
    EXPECT_EQ(WaitForExit(program, 30), 0) << ReadErrors(program);
}

TEST_F(WaylandSaver, CameraKeysTurnTheViewAndAnyOtherKeyEndsIt) {
    StartSaver({"--description", WriteForUser("board.txt", Board("1,0,0"))});
    Census census;
    ASSERT_TRUE(PollUntil(60, [&] {
        return Grab(sway, "HEADLESS-1", census) && census.Share(census.background) > 0.9;
    }));
    EXPECT_LT(census.Share(census.red), 0.02) << "the board is not seen edge on";
    // Six times End is 90 degrees round: the board faces the camera.
    ASSERT_EQ(Keys({"End", "End", "End", "End", "End", "End"}), 0);
    ASSERT_TRUE(PollUntil(
        30, [&] { return Grab(sway, "HEADLESS-1", census) && census.Share(census.red) > 0.05; }))
        << "red " << census.red << " after End";
    EXPECT_TRUE(Running(program));
    ASSERT_EQ(Keys({"x"}), 0);
    ExpectEndAt("a key");
}

TEST_F(WaylandSaver, AClickEndsIt) {
    StartSaver();
    ASSERT_EQ(Pointer({"move", "5", "5", "click"}), 0);
    ExpectEndAt("a button");
}

// Travel within the threshold, then beyond it: the first input that ends
// it is said, so a small travel that ended it would be told.
TEST_F(WaylandSaver, PointerTravelBeyondTheThresholdEndsItAndWithinDoesNot) {
    StartSaver();
    ASSERT_EQ(Pointer({"move", "5", "5", "move", "20", "-20", "move", "20", "20"}), 0);
    ASSERT_EQ(Pointer({"move", "60", "0"}), 0);
    ExpectEndAt("pointer travel");
}

TEST_F(WaylandSaver, AHiddenWindowDrawsNoFramesAndDrawsAgainWhenShown) {
    Start({"--window"});
    Census census;
    ASSERT_TRUE(PollUntil(60, [&] { return ShowsMobile(sway, "HEADLESS-1", census); }));
    auto cpuOver4s = [&] {
        long before = CpuTicks(program.pid);
        sleep(4);
        return CpuTicks(program.pid) - before;
    };
    long shown = cpuOver4s();
    ASSERT_EQ(
        Swaymsg(sway, {"[app_id=hangingmobile]", "move", "container", "to", "workspace", "2"}), 0);
    ASSERT_TRUE(PollUntil(30, [&] { return Empty(sway, "HEADLESS-1", census); }))
        << ShareOf(census, kEmptyOutput) << " empty, " << census.Share(census.background) << " sky";
    long hidden = cpuOver4s();
    EXPECT_LT(hidden * 10, shown + 10) << hidden << " ticks hidden, " << shown << " shown";
    ASSERT_EQ(Swaymsg(sway, {"workspace", "2"}), 0);
    Census again;
    EXPECT_TRUE(PollUntil(60, [&] {
        return ShowsMobile(sway, "HEADLESS-1", again) && Difference(census, again) > 0.0005;
    }));
    kill(program.pid, SIGTERM);
    EXPECT_EQ(WaitForExit(program, 30), 0);
    EXPECT_EQ(ReadErrors(program), "");
}

// sway 1.7 offers org_kde_kwin_idle only.
TEST_F(WaylandSaver, IdleShowsItselfOnceIdleHidesAtInputAndComesBack) {
    Start({"--idle", "2", "--verbose"});
    ASSERT_TRUE(WaitForErrors(program, "waits for 2 s without input (org_kde_kwin_idle)", 60))
        << ReadErrors(program);
    Census census;
    EXPECT_TRUE(Grab(sway, "HEADLESS-1", census) && ShareOf(census, kEmptyOutput) > 0.99)
        << "shown before the idle time";
    ASSERT_TRUE(PollUntil(60, [&] { return ShowsMobile(sway, "HEADLESS-1", census); }));
    ASSERT_TRUE(WaitForErrors(program, "has the keyboard", 60)) << ReadErrors(program);
    ASSERT_EQ(Keys({"x"}), 0);
    ASSERT_TRUE(WaitForErrors(program, "hides", 60)) << ReadErrors(program);
    EXPECT_TRUE(PollUntil(30, [&] { return Empty(sway, "HEADLESS-1", census); }));
    EXPECT_TRUE(WaitForErrors(program, "idle: shows itself", 60, 2)) << ReadErrors(program);
    EXPECT_TRUE(PollUntil(60, [&] { return ShowsMobile(sway, "HEADLESS-1", census); }));
    kill(program.pid, SIGTERM);
    EXPECT_EQ(WaitForExit(program, 30), 0);
}

// While another client holds an idle inhibitor it stays away, for three
// times the idle time; once the inhibitor is gone it comes.
TEST_F(WaylandSaver, AnIdleInhibitorKeepsIdleAway) {
    Process player = StartOnSway(sway, {CopyForAnyUser(IDLE_INHIBITOR)});
    ASSERT_TRUE(WaitForErrors(player, "inhibits", 60)) << ReadErrors(player);
    Start({"--idle", "2", "--verbose"});
    ASSERT_TRUE(WaitForErrors(program, "waits for 2 s without input", 60)) << ReadErrors(program);
    sleep(6);
    EXPECT_EQ(ReadErrors(program).find("idle: shows itself"), std::string::npos);
    Kill(player);
    close(player.errors);
    EXPECT_TRUE(WaitForErrors(program, "idle: shows itself", 60)) << ReadErrors(program);
}

TEST_F(WaylandSaver, FaultsEndWithOneLine) {
    struct Case {
        std::vector<std::string> arguments;
        const char* says;
    } cases[] = {
        {{"--bogus"}, "hangingmobile-wayland: unknown option --bogus\nusage: "},
        {{"--root"}, "hangingmobile-wayland: unknown option --root\nusage: "},
        {{"--idle", "0"}, "hangingmobile-wayland: --idle wants seconds from 1 to 86400\nusage: "},
        {{"--description", "/nonexistent"},
         "hangingmobile-wayland: cannot read /nonexistent: No such file or directory\n"},
    };
    for (const Case& test : cases) {
        Start(test.arguments);
        EXPECT_EQ(WaitForExit(program, 30), 1);
        std::string errors = ReadErrors(program);
        EXPECT_EQ(errors.substr(0, std::string(test.says).size()), test.says) << errors;
    }
}

// On a compositor that lacks the layer shell (as GNOME's does), or an idle
// protocol, or a shell for windows: one line saying which, and status 1.
TEST(WaylandCompositorLacking, WhatAModeNeedsIsSaidInOneLine) {
    struct Case {
        const char* offers;
        std::vector<std::string> arguments;
        const char* says;
    } cases[] = {
        {"", {"--saver"}, "offers no layer shell (zwlr_layer_shell_v1), so nothing full screen"},
        {"",
         {"--idle", "5"},
         "offers no layer shell (zwlr_layer_shell_v1), so nothing full screen"},
        {"", {"--window"}, "offers no xdg_wm_base, so no window"},
        {"layer-shell", {"--idle", "5"}, "offers no idle notification"},
    };
    std::string runtime = ScratchPath("runtime");
    mkdir(runtime.c_str(), 0700);
    for (const Case& test : cases) {
        Process compositor = StartProcess({BARE_COMPOSITOR, "bare", test.offers}, "",
                                          {"XDG_RUNTIME_DIR=" + runtime});
        ASSERT_TRUE(WaitForErrors(compositor, "ready", 30)) << ReadErrors(compositor);
        std::vector<std::string> argv = {WaylandProgramPath()};
        argv.insert(argv.end(), test.arguments.begin(), test.arguments.end());
        Process program =
            StartProcess(argv, "", {"XDG_RUNTIME_DIR=" + runtime, "WAYLAND_DISPLAY=bare"});
        EXPECT_EQ(WaitForExit(program, 30), 1);
        std::string errors = ReadErrors(program);
        EXPECT_EQ(errors.find('\n'), errors.size() - 1) << errors;
        EXPECT_EQ(errors.rfind("hangingmobile-wayland: the Wayland compositor ", 0), 0u) << errors;
        EXPECT_NE(errors.find(test.says), std::string::npos) << errors;
        Kill(compositor);
        close(compositor.errors);
        close(program.errors);
    }
}

// Killed as the program waits, and (forced, every time) as it swaps.
TEST_F(WaylandSaver, TheCompositorGoneEndsItWithOneLine) {
    for (bool atSwap : {false, true}) {
        if (atSwap) {
            StopSway(sway);
            ASSERT_TRUE(StartSway(sway));
            Start({"--saver"}, {"LD_PRELOAD+=" + CopyForAnyUser(KILL_AT_SWAP),
                                "HM_KILL_AT_SWAP=" + std::to_string(sway.server)});
        } else {
            StartSaver();
            kill(sway.server, SIGKILL);
        }
        EXPECT_EQ(WaitForExit(program, 30), 1) << atSwap;
        // Its last line, after what --verbose said.
        std::string errors = ReadErrors(program);
        size_t last = errors.rfind('\n', errors.size() - 2);
        last = last == std::string::npos ? 0 : last + 1;
        EXPECT_EQ(errors.find("hangingmobile-wayland: lost the Wayland compositor ("), last)
            << errors;
        EXPECT_EQ(errors.back(), '\n');
    }
}

} // namespace
