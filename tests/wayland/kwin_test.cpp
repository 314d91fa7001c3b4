// hangingmobile-wayland on KWin's virtual backend: a compositor that is not
// wlroots', and one that offers ext-idle-notify-v1. KWin has no screencopy
// for grim; its output is read back through its D-Bus screenshot, and input
// comes through its fake input, only once the program has the keyboard.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "wayland_harness.h"

namespace {

const unsigned kEmptyOutput = 0x000000; // what KWin shows where no surface is
const char kKeyX[] = "45";              // X, as the kernel codes it

struct PrivateKWin {
    std::string folder;                   // ours: its copy, its bus's configuration
    std::vector<std::string> environment; // what its clients need to reach it
    Process bus, server;
};

// A session bus that starts no services: nothing of Plasma's outlives it.
std::string WriteBusConfig(const std::string& folder, const std::string& address) {
    std::string path = folder + "/bus.conf";
    std::ofstream(path) << "<busconfig><type>session</type><listen>" << address
                        << "</listen><policy context=\"default\"><allow send_destination=\"*\"/>"
                           "<allow receive_sender=\"*\"/><allow own=\"*\"/></policy></busconfig>\n";
    chmod(path.c_str(), 0644);
    return path;
}

bool Screenshot(const PrivateKWin& kwin, Census& census) {
    std::string reply, ppm;
    if (!CaptureAsUser(kwin.environment,
                       {"gdbus", "call", "--session", "--dest", "org.kde.KWin", "--object-path",
                        "/Screenshot", "--method", "org.kde.kwin.Screenshot.screenshotFullscreen"},
                       reply))
        return false;
    // ('/its/runtime/folder/kwin_screenshot_XXXXXX.png',)
    size_t from = reply.find('\''), to = reply.rfind('\'');
    if (from == std::string::npos || to <= from)
        return false;
    std::string png = reply.substr(from + 1, to - from - 1);
    bool read =
        CaptureAsUser(kwin.environment, {"convert", png, "ppm:-"}, ppm) && ReadPpm(ppm, census);
    unlink(png.c_str());
    return read;
}

// Why it could not start, or "" once its output can be read.
std::string StartKWin(PrivateKWin& kwin) {
    char folder[] = "/tmp/hm-kwin-XXXXXX";
    if (!mkdtemp(folder))
        return "no scratch folder";
    chmod(folder, 0755);
    kwin.folder = folder;
    std::string runtime = kwin.folder + "/run";
    mkdir(runtime.c_str(), 0700);
    if (chown(runtime.c_str(), 65534, (gid_t)-1) != 0)
        return "cannot give the runtime folder to the unprivileged user";
    // The installed binary carries a file capability that a sandbox refuses
    // to an unprivileged user; a copy carries none.
    std::string copy = kwin.folder + "/kwin_wayland";
    std::error_code error;
    if (!std::filesystem::copy_file(KWIN, copy, error))
        return std::string("no ") + KWIN + " (" + error.message() +
               "): tools/setup installs kwin-wayland";
    chmod(copy.c_str(), 0755);
    std::string address = "unix:path=" + runtime + "/bus";
    // TMPDIR: its screenshots go in the runtime folder, and with it.
    kwin.environment = {"XDG_RUNTIME_DIR=" + runtime,
                        "HOME=" + runtime,
                        "TMPDIR=" + runtime,
                        "WAYLAND_DISPLAY=wayland-kwin",
                        "DBUS_SESSION_BUS_ADDRESS=" + address,
                        "DISPLAY="};
    kwin.bus = StartAsUser({"dbus-daemon", "--nofork", "--nosyslog",
                            "--config-file=" + WriteBusConfig(kwin.folder, address)},
                           kwin.environment);
    if (!PollUntil(30, [&] { return access((runtime + "/bus").c_str(), F_OK) == 0; }))
        return "its session bus did not start: " + ReadErrors(kwin.bus);
    std::vector<std::string> environment = kwin.environment;
    environment.insert(environment.end(),
                       {"WAYLAND_DISPLAY=", "KWIN_WAYLAND_NO_PERMISSION_CHECKS=1",
                        "KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1"});
    kwin.server = StartAsUser({copy, "--virtual", "--width", "1024", "--height", "768", "--socket",
                               "wayland-kwin", "--no-lockscreen", "--no-global-shortcuts",
                               "--no-kactivities"},
                              environment);
    Census census;
    bool read = PollUntil(60, [&] {
        return !Running(kwin.server) || (Screenshot(kwin, census) && census.width == 1024);
    });
    if (!read || !Running(kwin.server))
        return "KWin did not start, or its screenshot cannot be read: " + ReadErrors(kwin.server);
    return "";
}

// SIGTERM, then SIGKILL if it has not ended in 30 s.
void Stop(Process& process) {
    if (process.pid > 0) {
        kill(process.pid, SIGTERM);
        WaitForExit(process, 30);
    }
    close(process.errors);
}

void StopKWin(PrivateKWin& kwin) {
    Stop(kwin.server);
    Stop(kwin.bus);
    if (!kwin.folder.empty())
        std::filesystem::remove_all(kwin.folder);
}

bool ShowsMobile(const PrivateKWin& kwin, Census& census) {
    return Screenshot(kwin, census) && ShareOf(census, kEmptyOutput) == 0 &&
           census.Share(census.background) > 0.5 && census.cloud > 0 && census.green > 0;
}

class KWinSaver : public testing::Test {
  protected:
    void SetUp() override {
        std::string failure = StartKWin(kwin);
        ASSERT_EQ(failure, "");
    }
    void TearDown() override {
        Kill(program);
        close(program.errors);
        StopKWin(kwin);
    }
    void Start(const std::vector<std::string>& arguments) {
        std::vector<std::string> argv = {WaylandProgramPath(), "--verbose"};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        program = StartAsUser(argv, kwin.environment);
    }
    int FakeInput(const std::vector<std::string>& steps) {
        std::vector<std::string> argv = {CopyForAnyUser(FAKE_INPUT)};
        argv.insert(argv.end(), steps.begin(), steps.end());
        Process input = StartAsUser(argv, kwin.environment);
        int status = WaitForExit(input, 30);
        EXPECT_EQ(status, 0) << ReadErrors(input);
        close(input.errors);
        return status;
    }

    PrivateKWin kwin;
    Process program;
};

// The pointer moved a little first: under the threshold, it does not end it.
TEST_F(KWinSaver, SaverCoversTheOutputAndAFakeKeyEndsIt) {
    Start({"--saver"});
    ASSERT_TRUE(WaitForErrors(program, "has the keyboard", 60)) << ReadErrors(program);
    Census census;
    EXPECT_TRUE(PollUntil(60, [&] { return ShowsMobile(kwin, census); }))
        << ShareOf(census, kEmptyOutput) << " empty, " << census.Share(census.background) << " sky";
    ASSERT_EQ(FakeInput({"move", "10", "10", "key", kKeyX}), 0);
    EXPECT_EQ(WaitForExit(program, 30), 0) << ReadErrors(program);
    EXPECT_NE(ReadErrors(program).find("ends full screen at a key"), std::string::npos)
        << ReadErrors(program);
}

TEST_F(KWinSaver, IdleComesThroughExtIdleNotifyAndGoesAtAFakeKey) {
    Start({"--idle", "2"});
    ASSERT_TRUE(WaitForErrors(program, "waits for 2 s without input (ext_idle_notifier_v1)", 60))
        << ReadErrors(program);
    Census census;
    EXPECT_TRUE(PollUntil(60, [&] { return ShowsMobile(kwin, census); })) << ReadErrors(program);
    ASSERT_TRUE(WaitForErrors(program, "has the keyboard", 60)) << ReadErrors(program);
    ASSERT_EQ(FakeInput({"key", kKeyX}), 0);
    EXPECT_TRUE(WaitForErrors(program, "hides", 60)) << ReadErrors(program);
    kill(program.pid, SIGTERM);
    EXPECT_EQ(WaitForExit(program, 30), 0) << ReadErrors(program);
}

} // namespace
