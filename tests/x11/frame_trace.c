/* Preloaded into hangingmobile by the tests that check the order of its
 * frames and its stop: writes "trace: swap" on standard error at each
 * buffer swap and "trace: stop" when its SIGTERM or SIGINT handler runs,
 * one write each, so the lines stand in the order the events came. */
#include <GL/glx.h>
#include <dlfcn.h>
#include <signal.h>
#include <unistd.h>

static void (*handlers[NSIG])(int);

static void Tell(const char* line, size_t length) {
    ssize_t written = write(2, line, length);
    (void)written;
}

static void TracedStop(int number) {
    Tell("trace: stop\n", 12);
    handlers[number](number);
}

int sigaction(int number, const struct sigaction* action, struct sigaction* old) {
    int (*real)(int, const struct sigaction*, struct sigaction*) =
        (int (*)(int, const struct sigaction*, struct sigaction*))dlsym(RTLD_NEXT, "sigaction");
    if (action && (number == SIGTERM || number == SIGINT) && !(action->sa_flags & SA_SIGINFO) &&
        action->sa_handler != SIG_DFL && action->sa_handler != SIG_IGN) {
        struct sigaction traced = *action;
        handlers[number] = action->sa_handler;
        traced.sa_handler = TracedStop;
        return real(number, &traced, old);
    }
    return real(number, action, old);
}

void glXSwapBuffers(Display* display, GLXDrawable drawable) {
    void (*swap)(Display*, GLXDrawable) =
        (void (*)(Display*, GLXDrawable))dlsym(RTLD_NEXT, "glXSwapBuffers");
    Tell("trace: swap\n", 12);
    swap(display, drawable);
}
