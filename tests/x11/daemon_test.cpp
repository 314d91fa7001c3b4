// The real XScreenSaver daemon runs hangingmobile as one of its GL hacks.
// It will not launch hacks for root, so there the daemon and its commands
// run as the unprivileged user nobody (anyone else runs them as themselves),
// with a home of their own holding the .xscreensaver that selects the
// program, on an Xvfb that lets that user in.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <dirent.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "x11_harness.h"

namespace {

const uid_t kNobody = 65534; // the setpriv arguments below name it too

// The processes whose program is `path`.
std::vector<pid_t> ProcessesOf(const std::string& path) {
    std::vector<pid_t> found;
    DIR* proc = opendir("/proc");
    while (dirent* entry = proc ? readdir(proc) : nullptr) {
        char target[PATH_MAX];
        std::string link = std::string("/proc/") + entry->d_name + "/exe";
        ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
        if (length > 0 && std::string(target, (size_t)length) == path)
            found.push_back((pid_t)atoi(entry->d_name));
    }
    if (proc)
        closedir(proc);
    return found;
}

class Daemon : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(StartPrivateDisplay(x, {"-ac"})) << "no Xvfb";
        // The build tree may be closed to nobody: the program is copied
        // into a folder that user can enter.
        char folder[] = "/tmp/hm-xscreensaver-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        top = folder;
        home = top + "/home";
        hack = top + "/hangingmobile";
        ASSERT_EQ(mkdir(home.c_str(), 0755), 0);
        ASSERT_EQ(system(("cp '" + ProgramPath() + "' '" + hack + "'").c_str()), 0);
        ASSERT_EQ(chmod(top.c_str(), 0755), 0);
        ASSERT_EQ(chmod(hack.c_str(), 0755), 0);
        FILE* settings = fopen((home + "/.xscreensaver").c_str(), "w");
        ASSERT_NE(settings, nullptr);
        fprintf(settings,
                "mode: one\nselected: 0\nsplash: False\nlock: False\nfade: False\n"
                "unfade: False\ndpmsEnabled: False\ntimeout: 0:30:00\n"
                "programs: GL: %s --root\n",
                hack.c_str());
        fclose(settings);
        if (geteuid() == 0) {
            ASSERT_EQ(chown(home.c_str(), kNobody, kNobody), 0);
            ASSERT_EQ(chown((home + "/.xscreensaver").c_str(), kNobody, kNobody), 0);
        }
        daemon = StartProcess(AsNobody({"xscreensaver", "-no-splash", "-verbose"}), x.name,
                              {"HOME=" + home});
    }

    void TearDown() override {
        Kill(daemon);
        for (pid_t pid : ProcessesOf(hack))
            kill(pid, SIGKILL);
        StopPrivateDisplay(x);
        if (!top.empty())
            system(("rm -rf '" + top + "'").c_str());
    }

    std::vector<std::string> AsNobody(std::vector<std::string> command) {
        if (geteuid() != 0)
            return command;
        std::vector<std::string> argv = {"setpriv", "--reuid=65534", "--regid=65534",
                                         "--clear-groups"};
        argv.insert(argv.end(), command.begin(), command.end());
        return argv;
    }

    // xscreensaver-command, again until the daemon answers.
    bool Command(const std::string& what) {
        return PollUntil(60, [&] {
            Process command =
                StartProcess(AsNobody({"xscreensaver-command", what}), x.name, {"HOME=" + home});
            return WaitForExit(command, 30) == 0;
        });
    }

    bool ScreenShowsMobile(Census& census) {
        return PollUntil(60, [&] {
            return TakeCensus(x.display, DefaultRootWindow(x.display), census) &&
                   census.Share(census.background) > 0.5 && census.cloud > 200 &&
                   census.green > 200 && census.red > 20;
        });
    }

    PrivateDisplay x;
    Process daemon;
    std::string top, home, hack;
};

TEST_F(Daemon, ActivateShowsTheMobileAndDeactivateOrExitEndsIt) {
    ASSERT_TRUE(Command("-activate")) << ReadErrors(daemon);
    Census first, later;
    ASSERT_TRUE(ScreenShowsMobile(first))
        << "sky " << first.Share(first.background) << ", cloud " << first.cloud << ", green "
        << first.green << "; the daemon says\n"
        << ReadErrors(daemon);
    EXPECT_EQ(ProcessesOf(hack).size(), 1u);
    EXPECT_TRUE(PollUntil(30, [&] {
        return TakeCensus(x.display, DefaultRootWindow(x.display), later) &&
               Difference(first, later) > 0.001;
    })) << "the mobile stands still";

    ASSERT_TRUE(Command("-deactivate"));
    EXPECT_TRUE(PollUntil(60, [&] { return ProcessesOf(hack).empty(); }))
        << "the hack outlived -deactivate";
    EXPECT_TRUE(PollUntil(30, [&] {
        return TakeCensus(x.display, DefaultRootWindow(x.display), later) &&
               later.Share(later.background) < 0.1;
    })) << "the mobile is still on the screen";

    ASSERT_TRUE(Command("-activate"));
    ASSERT_TRUE(ScreenShowsMobile(first)) << ReadErrors(daemon);
    ASSERT_TRUE(Command("-exit"));
    EXPECT_TRUE(PollUntil(60, [&] { return ProcessesOf(hack).empty(); }))
        << "the hack outlived -exit";
    EXPECT_EQ(WaitForExit(daemon, 60), 0) << ReadErrors(daemon);
}

} // namespace
