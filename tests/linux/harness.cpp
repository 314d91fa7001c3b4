#include "tests/linux/harness.h"

#include <fcntl.h>
#include <ftw.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

static double Now() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

bool PollUntil(double seconds, const std::function<bool()>& condition) {
    double end = Now() + seconds;
    for (;;) {
        if (condition())
            return true;
        if (Now() > end)
            return false;
        usleep(50000);
    }
}

bool InSystemCall(pid_t pid, long number) {
    FILE* file = fopen(("/proc/" + std::to_string(pid) + "/syscall").c_str(), "r");
    long found = -1;
    if (file) {
        if (fscanf(file, "%ld", &found) != 1)
            found = -1;
        fclose(file);
    }
    return found == number;
}

Process StartProcess(const std::vector<std::string>& argv, const std::string& displayName,
                     const std::vector<std::string>& environment, int errorsTo) {
    Process process;
    // Unlinked at once: the program writes, the test reads, nothing is left.
    char path[] = "/tmp/hm-errors-XXXXXX";
    int errors = mkstemp(path);
    unlink(path);
    fcntl(errors, F_SETFD, FD_CLOEXEC); // the programs started later do not hold it
    process.errors = errors;
#ifdef KEEP_GL_LOADED
    static const std::string keepGlLoaded = CopyForAnyUser(KEEP_GL_LOADED);
#endif
    process.pid = fork();
    if (process.pid == 0) {
        if (!displayName.empty())
            setenv("DISPLAY", displayName.c_str(), 1);
        unsetenv("XSCREENSAVER_WINDOW");
        // llvmpipe on the program's own thread: two busy cores are shared.
        setenv("LP_NUM_THREADS", "0", 1);
#ifdef KEEP_GL_LOADED
        // Mesa's driver kept loaded at exit (see keep_gl_loaded.c); the
        // sanitizer runtime then no longer comes first among the libraries.
        setenv("LD_PRELOAD", keepGlLoaded.c_str(), 1);
        setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
#endif
        for (const std::string& entry : environment) {
            const std::string more = "LD_PRELOAD+=";
            const char* preloaded = getenv("LD_PRELOAD");
            if (entry.compare(0, more.size(), more) != 0)
                putenv(strdup(entry.c_str()));
            else if (preloaded && *preloaded)
                setenv("LD_PRELOAD", (preloaded + (":" + entry.substr(more.size()))).c_str(), 1);
            else
                setenv("LD_PRELOAD", entry.substr(more.size()).c_str(), 1);
        }
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(errorsTo >= 0 ? errorsTo : errors, 2);
        std::vector<char*> args;
        args.reserve(argv.size() + 1);
        for (const std::string& arg : argv)
            args.push_back(strdup(arg.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    return process;
}

int WaitForExit(Process& process, double seconds) {
    int status = 0;
    struct rusage usage = {};
    bool ended =
        PollUntil(seconds, [&] { return wait4(process.pid, &status, WNOHANG, &usage) > 0; });
    if (!ended) {
        Kill(process);
        return -1;
    }
    process.pid = -1;
    process.peakKilobytes = usage.ru_maxrss;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void Kill(Process& process) {
    if (process.pid <= 0)
        return;
    kill(process.pid, SIGKILL);
    waitpid(process.pid, nullptr, 0);
    process.pid = -1;
}

bool Running(const Process& process) {
    return process.pid > 0 && waitpid(process.pid, nullptr, WNOHANG) == 0;
}

std::string ReadErrors(const Process& process) {
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = pread(process.errors, buffer, sizeof buffer, (off_t)text.size())) > 0)
        text.append(buffer, (size_t)n);
    return text;
}

static int RemoveEntry(const char* path, const struct stat*, int, FTW*) {
    return remove(path);
}

static char scratch[] = "/tmp/hm-test-XXXXXX";

static void RemoveScratch() {
    nftw(scratch, RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

std::string ScratchPath(const std::string& name) {
    static bool made = false;
    if (!made) {
        made = mkdtemp(scratch) != nullptr;
        if (made)
            atexit(RemoveScratch);
    }
    return std::string(scratch) + "/" + name;
}

std::string WriteFile(const std::string& name, const std::string& text) {
    std::string path = ScratchPath(name);
    std::string temporary = path + ".new";
    FILE* file = fopen(temporary.c_str(), "wb");
    fwrite(text.data(), 1, text.size(), file);
    fclose(file);
    rename(temporary.c_str(), path.c_str()); // whole, never half written
    return path;
}

std::string CopyForAnyUser(const std::string& path) {
    std::string copy = ScratchPath(path.substr(path.rfind('/') + 1));
    if (access(copy.c_str(), X_OK) != 0) {
        std::ifstream from(path, std::ios::binary);
        std::ofstream(copy + ".new", std::ios::binary) << from.rdbuf();
        chmod((copy + ".new").c_str(), 0755);
        rename((copy + ".new").c_str(), copy.c_str());
        chmod(scratch, 0755);
    }
    return copy;
}

std::string Board(const char* colour) {
    return std::string("perspective: 45,3,90 lookat=4 timef=1 background=0.1,0.1,0.2 "
                       "perimeter=30 thread=0.05,0.1,0.1,0.2 periodicity=0\n"
                       "end 1: desc=1 mass=1 radius=1 above=1 string=100000\n"
                       "desc 1\n"
                       "sglBegin(GL_QUADS);\n"
                       "sglColor3(") +
           colour +
           ");\n"
           "sglVertex3(-6,0,0);\nsglVertex3(6,0,0);\n"
           "sglVertex3(6,-6,0);\nsglVertex3(-6,-6,0);\n"
           "sglEnd();\n";
}

static bool Near(unsigned pixel, int r, int g, int b, int tolerance) {
    return abs((int)(pixel >> 16 & 255) - r) <= tolerance &&
           abs((int)(pixel >> 8 & 255) - g) <= tolerance &&
           abs((int)(pixel & 255) - b) <= tolerance;
}

void SortColours(int width, int height, std::vector<unsigned> rgb, Census& census) {
    census = Census{};
    census.width = width;
    census.height = height;
    census.pixels = (long)width * height;
    census.x0 = width;
    census.y0 = height;
    census.rgb = std::move(rgb);
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            unsigned p = census.rgb[(size_t)y * width + x];
            int r = p >> 16 & 255, g = p >> 8 & 255, b = p & 255;
            if (Near(p, 26, 26, 51, 4)) {
                census.background++;
                continue;
            }
            census.x0 = std::min(census.x0, x);
            census.y0 = std::min(census.y0, y);
            census.x1 = std::max(census.x1, x);
            census.y1 = std::max(census.y1, y);
            if (r > 120 && g > 140 && b > 160 && b >= r)
                census.cloud++;
            else if (g > 100 && r < g / 2 && b < g / 2)
                census.green++;
            else if (r > 100 && g < r / 3 && b < r / 3)
                census.red++;
            else if (b > 150 && r < 40 && g < 40)
                census.blue++;
        }
    }
}

double Difference(const Census& a, const Census& b) {
    if (a.rgb.size() != b.rgb.size() || a.rgb.empty())
        return 1;
    long differing = 0;
    for (size_t i = 0; i < a.rgb.size(); i++)
        differing += a.rgb[i] != b.rgb[i];
    return (double)differing / (double)a.rgb.size();
}
