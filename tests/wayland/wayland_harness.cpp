#include "wayland_harness.h"

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

// The unprivileged user the compositor and its clients run as.
static const uid_t kUser = 65534;
static const char* const kAsUser[] = {"setpriv", "--reuid=65534", "--regid=65534",
                                      "--clear-groups"};

static std::string FindInFolder(const std::string& folder, const std::string& prefix) {
    std::string found;
    DIR* directory = opendir(folder.c_str());
    if (!directory)
        return found;
    while (dirent* entry = readdir(directory)) {
        std::string name = entry->d_name;
        if (name.compare(0, prefix.size(), prefix) == 0 && name.find(".lock") == std::string::npos)
            found = name;
    }
    closedir(directory);
    return found;
}

static std::vector<std::string> Environment(const PrivateSway& sway) {
    return {"XDG_RUNTIME_DIR=" + sway.runtime, "HOME=" + sway.runtime,
            "WAYLAND_DISPLAY=" + sway.socket, "SWAYSOCK=" + sway.ipc};
}

bool StartSway(PrivateSway& sway) {
    char folder[] = "/tmp/hm-sway-XXXXXX";
    if (!mkdtemp(folder))
        return false;
    chmod(folder, 0755);
    sway.folder = folder;
    sway.runtime = sway.folder + "/run";
    mkdir(sway.runtime.c_str(), 0700);
    if (chown(sway.runtime.c_str(), kUser, (gid_t)-1) != 0)
        return false;
    std::string config = sway.folder + "/config";
    std::ofstream(config) << "xwayland disable\n"
                             "default_border none\n"
                             "output HEADLESS-1 resolution 1024x768\n";
    chmod(config.c_str(), 0644);
    std::vector<std::string> argv(std::begin(kAsUser), std::end(kAsUser));
    argv.insert(argv.end(), {"sway", "-c", config});
    Process server = StartProcess(argv, "",
                                  {"XDG_RUNTIME_DIR=" + sway.runtime, "HOME=" + sway.runtime,
                                   "WLR_BACKENDS=headless", "WLR_LIBINPUT_NO_DEVICES=1",
                                   "WLR_RENDERER=pixman", "WAYLAND_DISPLAY=", "DISPLAY="});
    sway.errors = server.errors;
    sway.server = server.pid;
    // Its sockets, then the output configured.
    bool up = PollUntil(30, [&] {
        sway.socket = FindInFolder(sway.runtime, "wayland-");
        std::string ipc = FindInFolder(sway.runtime, "sway-ipc.");
        sway.ipc = ipc.empty() ? "" : sway.runtime + "/" + ipc;
        return !sway.socket.empty() && !sway.ipc.empty();
    });
    if (!up || !PollUntil(30, [&] {
            Census census;
            return Grab(sway, "HEADLESS-1", census) && census.width == 1024;
        }))
        return false;
    // wtype's keyboard lives while it waits, a day, before its one key.
    sway.keyboard = StartOnSway(sway, {"wtype", "-s", "86400000", "-k", "F13"});
    sway.pointer = StartOnSway(sway, {CopyForAnyUser(VIRTUAL_POINTER), "hold"});
    return PollUntil(30, [&] {
        std::string seats;
        return Capture(sway, {"swaymsg", "-t", "get_seats"}, seats) &&
               seats.find("\"capabilities\": 3") != std::string::npos;
    });
}

static int RemoveEntry(const char* path, const struct stat*, int, FTW*) {
    return remove(path);
}

void StopSway(PrivateSway& sway) {
    Kill(sway.keyboard);
    Kill(sway.pointer);
    close(sway.keyboard.errors);
    close(sway.pointer.errors);
    if (sway.server > 0) {
        kill(sway.server, SIGTERM);
        if (!PollUntil(10, [&] { return waitpid(sway.server, nullptr, WNOHANG) > 0; })) {
            kill(sway.server, SIGKILL);
            waitpid(sway.server, nullptr, 0);
        }
    }
    if (!sway.folder.empty())
        nftw(sway.folder.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
    if (sway.errors >= 0)
        close(sway.errors);
    sway = PrivateSway{};
}

std::string SwayErrors(const PrivateSway& sway) {
    Process server;
    server.errors = sway.errors;
    return ReadErrors(server);
}

Process StartAsUser(std::vector<std::string> argv, const std::vector<std::string>& environment) {
    argv.insert(argv.begin(), std::begin(kAsUser), std::end(kAsUser));
    return StartProcess(argv, "", environment);
}

Process StartOnSway(const PrivateSway& sway, std::vector<std::string> argv,
                    const std::vector<std::string>& environment) {
    std::vector<std::string> all = Environment(sway);
    all.insert(all.end(), environment.begin(), environment.end());
    return StartAsUser(std::move(argv), all);
}

int RunOnSway(const PrivateSway& sway, const std::vector<std::string>& argv) {
    Process process = StartOnSway(sway, argv);
    int status = WaitForExit(process, 30);
    close(process.errors);
    return status;
}

int Swaymsg(const PrivateSway& sway, const std::vector<std::string>& command) {
    std::vector<std::string> argv = {"swaymsg"};
    argv.insert(argv.end(), command.begin(), command.end());
    return RunOnSway(sway, argv);
}

bool Capture(const PrivateSway& sway, const std::vector<std::string>& argv, std::string& out) {
    return CaptureAsUser(Environment(sway), argv, out);
}

bool CaptureAsUser(const std::vector<std::string>& environment,
                   const std::vector<std::string>& argv, std::string& out) {
    // The client writes to its standard output, here a file of ours.
    char path[] = "/tmp/hm-capture-XXXXXX";
    int file = mkstemp(path);
    unlink(path);
    std::vector<std::string> command(std::begin(kAsUser), std::end(kAsUser));
    command.insert(command.end(), argv.begin(), argv.end());
    pid_t pid = fork();
    if (pid == 0) {
        dup2(file, 1);
        for (const std::string& entry : environment)
            putenv(strdup(entry.c_str()));
        int null = open("/dev/null", O_RDWR);
        dup2(null, 2);
        std::vector<char*> args;
        args.reserve(command.size() + 1);
        for (const std::string& arg : command)
            args.push_back(strdup(arg.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = -1;
    waitpid(pid, &status, 0);
    out.clear();
    char buffer[65536];
    ssize_t n;
    while ((n = pread(file, buffer, sizeof buffer, (off_t)out.size())) > 0)
        out.append(buffer, (size_t)n);
    close(file);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool Grab(const PrivateSway& sway, const std::string& output, Census& census) {
    std::string ppm;
    return Capture(sway, {"grim", "-o", output, "-t", "ppm", "-"}, ppm) && ReadPpm(ppm, census);
}

bool ReadPpm(const std::string& ppm, Census& census) {
    int width = 0, height = 0, top = 0, header = 0;
    if (sscanf(ppm.c_str(), "P6 %d %d %d%n", &width, &height, &top, &header) != 3 || width <= 0 ||
        height <= 0 || top != 255 || ppm.size() != (size_t)header + 1 + (size_t)width * height * 3)
        return false;
    const unsigned char* bytes = (const unsigned char*)ppm.data() + header + 1;
    std::vector<unsigned> rgb((size_t)width * height);
    for (size_t i = 0; i < rgb.size(); i++)
        rgb[i] = (unsigned)bytes[3 * i] << 16 | (unsigned)bytes[3 * i + 1] << 8 | bytes[3 * i + 2];
    SortColours(width, height, std::move(rgb), census);
    return true;
}
bool SavePicture(const Census& census, const std::string& path) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    fprintf(file, "P6 %d %d 255\n", census.width, census.height);
    for (unsigned pixel : census.rgb) {
        const unsigned char bytes[3] = {(unsigned char)(pixel >> 16), (unsigned char)(pixel >> 8),
                                        (unsigned char)pixel};
        fwrite(bytes, 1, 3, file);
    }
    return fclose(file) == 0;
}

double ShareOf(const Census& census, unsigned rgb) {
    long count = 0;
    for (unsigned pixel : census.rgb)
        count += pixel == rgb;
    return census.Share(count);
}

bool WaitForErrors(const Process& process, const std::string& text, double seconds, int times) {
    return PollUntil(seconds, [&] {
        std::string errors = ReadErrors(process);
        int found = 0;
        for (size_t at = errors.find(text); at != std::string::npos; at = errors.find(text, at + 1))
            found++;
        return found >= times;
    });
}

std::string WriteForUser(const std::string& name, const std::string& text) {
    std::string path = WriteFile(name, text);
    chmod(path.substr(0, path.rfind('/')).c_str(), 0755);
    chmod(path.c_str(), 0644);
    return path;
}

std::string WaylandProgramPath() {
    return CopyForAnyUser(HANGINGMOBILE_WAYLAND);
}

void ProgramOnSway::Start(const std::vector<std::string>& arguments,
                          const std::vector<std::string>& environment) {
    std::vector<std::string> argv = {WaylandProgramPath()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    program = StartOnSway(sway, argv, environment);
}
