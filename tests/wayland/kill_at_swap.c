/* Preloaded into hangingmobile-wayland by a test: its third buffer swap
 * first kills the compositor (the process HM_KILL_AT_SWAP names) and waits
 * until it is dead, so that the swap meets a compositor gone every time. */
#include <EGL/egl.h>
#include <dlfcn.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

static int Dead(pid_t pid) {
    char path[64], state = 0;
    snprintf(path, sizeof path, "/proc/%d/stat", (int)pid);
    FILE* file = fopen(path, "r");
    if (!file)
        return 1;
    int read = fscanf(file, "%*d (%*[^)]) %c", &state);
    fclose(file);
    return read == 1 && state == 'Z'; /* a zombie until the test reaps it */
}

EGLBoolean eglSwapBuffers(EGLDisplay display, EGLSurface surface) {
    static int swaps;
    static EGLBoolean (*real)(EGLDisplay, EGLSurface);
    if (!real)
        real = (EGLBoolean(*)(EGLDisplay, EGLSurface))dlsym(RTLD_NEXT, "eglSwapBuffers");
    const char* victim = getenv("HM_KILL_AT_SWAP");
    if (++swaps == 3 && victim) {
        pid_t pid = (pid_t)atoi(victim);
        kill(pid, SIGKILL);
        while (!Dead(pid))
            usleep(10000);
    }
    return real(display, surface);
}
