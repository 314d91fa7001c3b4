// gtest first: X11's None macro would break its headers.
#include <gtest/gtest.h>

#include "x11_harness.h"

#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/wait.h>
#include <unistd.h>

static bool Exists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

// A read-back of a window that is not (yet) viewable fails; the poll tries
// again rather than Xlib ending the test.
static int IgnoreXError(Display*, XErrorEvent*) {
    return 0;
}

bool StartPrivateDisplay(PrivateDisplay& display, const std::vector<std::string>& extra) {
    XSetErrorHandler(IgnoreXError);
    // Tests run side by side: a number another server took meanwhile makes
    // ours fail at once, and the next number is tried. Far above where
    // tools/with-display starts counting, so as not to race it.
    for (int number = 600 + getpid() % 300, tries = 0; tries < 40; number++, tries++) {
        std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
        if (Exists(socket) || Exists("/tmp/.X" + std::to_string(number) + "-lock"))
            continue;
        std::string name = ":" + std::to_string(number);
        pid_t server = fork();
        if (server == 0) {
            int null = open("/dev/null", O_RDWR);
            dup2(null, 0);
            dup2(null, 1);
            dup2(null, 2);
            std::vector<std::string> args = {"Xvfb",        name,        "-screen", "0",
                                             "1024x768x24", "-nolisten", "tcp"};
            args.insert(args.end(), extra.begin(), extra.end());
            std::vector<char*> argv;
            argv.reserve(args.size() + 1);
            for (std::string& arg : args)
                argv.push_back(arg.data());
            argv.push_back(nullptr);
            execvp("Xvfb", argv.data());
            _exit(127);
        }
        Display* opened = nullptr;
        PollUntil(30, [&] {
            if (waitpid(server, nullptr, WNOHANG) == server) {
                server = -1;
                return true;
            }
            opened = Exists(socket) ? XOpenDisplay(name.c_str()) : nullptr;
            return opened != nullptr;
        });
        if (opened) {
            display.server = server;
            display.name = name;
            display.display = opened;
            return true;
        }
        if (server > 0) {
            kill(server, SIGKILL);
            waitpid(server, nullptr, 0);
        }
    }
    return false;
}

void StopPrivateDisplay(PrivateDisplay& display) {
    if (display.display)
        XCloseDisplay(display.display);
    if (display.server > 0) {
        kill(display.server, SIGTERM);
        waitpid(display.server, nullptr, 0);
    }
    display = PrivateDisplay{};
}

std::string ProgramPath() {
    return HANGINGMOBILE;
}
std::string CheckerPath() {
    return MOBILECHECK;
}

bool TakeCensus(Display* display, Window window, Census& census) {
    census = Census{};
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes))
        return false;
    XImage* image = XGetImage(display, window, 0, 0, (unsigned)attributes.width,
                              (unsigned)attributes.height, AllPlanes, ZPixmap);
    if (!image)
        return false;
    std::vector<unsigned> rgb((size_t)attributes.width * attributes.height);
    for (int y = 0; y < attributes.height; y++) {
        for (int x = 0; x < attributes.width; x++)
            rgb[(size_t)y * attributes.width + x] = (unsigned)XGetPixel(image, x, y) & 0xFFFFFF;
    }
    XDestroyImage(image);
    SortColours(attributes.width, attributes.height, std::move(rgb), census);
    return true;
}

Window FindProgramWindow(Display* display) {
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return 0;
    for (unsigned i = 0; i < count && !found; i++) {
        XClassHint hint = {};
        if (XGetClassHint(display, children[i], &hint)) {
            if (hint.res_name && std::string(hint.res_name) == "hangingmobile")
                found = children[i];
            XFree(hint.res_name);
            XFree(hint.res_class);
        }
    }
    if (children)
        XFree(children);
    return found;
}

void ProgramOnPrivateDisplay::Start(const std::vector<std::string>& arguments,
                                    const std::vector<std::string>& environment) {
    std::vector<std::string> argv = {ProgramPath()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    program = StartProcess(argv, x.name, environment);
}

Window ProgramOnPrivateDisplay::MakeWindow(int width, int height) {
    Window window = XCreateSimpleWindow(x.display, DefaultRootWindow(x.display), 0, 0,
                                        (unsigned)width, (unsigned)height, 0, 0, 0);
    XMapWindow(x.display, window);
    XSync(x.display, False);
    return window;
}

std::string HexId(unsigned long id) {
    char text[32];
    snprintf(text, sizeof text, "0x%lx", id);
    return text;
}
