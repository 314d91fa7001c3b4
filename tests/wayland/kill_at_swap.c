/* Preloaded into hangingmobile-wayland by a test: its third buffer swap
 * first kills the compositor (the process HM_KILL_AT_SWAP names) and waits
 * until it is dead, so that the swap meets a compositor gone every time. */
#include <EGL/egl.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

/* Gone, or a zombie until the test reaps it. */
static int Dead(const char* victim) {
    char stat[512];
    int proc = open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int process = openat(proc, victim, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int file = openat(process, "stat", O_RDONLY | O_CLOEXEC);
    close(proc);
    if (process >= 0)
        close(process);
    if (file < 0)
        return 1;
    ssize_t length = read(file, stat, sizeof stat - 1);
    close(file);
    stat[length > 0 ? length : 0] = 0;
    const char* name_end = strrchr(stat, ')'); /* the state follows the name */
    return !name_end || name_end[1] == 0 || name_end[2] == 'Z';
}

EGLBoolean eglSwapBuffers(EGLDisplay display, EGLSurface surface) {
    static int swaps;
    static EGLBoolean (*real)(EGLDisplay, EGLSurface);
    if (!real)
        real = (EGLBoolean(*)(EGLDisplay, EGLSurface))dlsym(RTLD_NEXT, "eglSwapBuffers");
    const char* victim = getenv("HM_KILL_AT_SWAP");
    if (++swaps == 3 && victim) {
        kill((pid_t)atoi(victim), SIGKILL);
        while (!Dead(victim))
            usleep(10000);
    }
    return real(display, surface);
}
