#include "linux/stop_signals.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <unistd.h>

volatile sig_atomic_t stopRequested = 0;

static volatile sig_atomic_t started = 0;
static const char* giveUp = "";
static int wake[2] = {-1, -1};

static void OnStop(int) {
    if (!started)
        _exit(0);
    if (!stopRequested) {
        stopRequested = 1;
        alarm(kStopGraceSeconds); // once: a storm of signals must not put it off
    }
    int saved = errno;
    ssize_t written = write(wake[1], "", 1); // full already: it is awake anyway
    (void)written;
    errno = saved;
}

static void OnAlarm(int) {
    if (!stopRequested) {
        ssize_t written = write(2, giveUp, strlen(giveUp));
        (void)written;
        _exit(1);
    }
    _exit(0);
}

void CatchStopSignals(const char* giveUpLine) {
    giveUp = giveUpLine;
    // Whichever thread takes the signal (OpenGL's own among them), the byte
    // wakes the main thread's sleep.
    if (pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0)
        wake[0] = wake[1] = -1;
    struct sigaction action = {};
    sigemptyset(&action.sa_mask);
    sigaddset(&action.sa_mask, SIGTERM);
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGALRM);
    action.sa_handler = OnStop;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    action.sa_handler = OnAlarm;
    sigaction(SIGALRM, &action, nullptr);
    // A parent may have left them blocked: they would then never come.
    sigprocmask(SIG_UNBLOCK, &action.sa_mask, nullptr);
    alarm(kStartSeconds);
}

void StopBetweenFrames() {
    alarm(0);
    started = 1;
}

bool StillStarting() {
    return !started;
}

int StopWakeDescriptor() {
    return wake[0];
}
