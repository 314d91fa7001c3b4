/* Counts the frames a program shows, for tools/bench/on_screen: loaded with
 * LD_PRELOAD, it wraps glXSwapBuffers and eglSwapBuffers (XScreenSaver's
 * hacks swap through EGL) and keeps the count in the first eight bytes of
 * the file $FRAME_COUNT_FILE, mapped shared, so that it can be read while
 * the program runs and after it is killed, at no system call per frame. */
#include <dlfcn.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

static volatile uint64_t* counter;

static void Count(void) {
    if (!counter) {
        const char* path = getenv("FRAME_COUNT_FILE");
        int file = path ? open(path, O_RDWR | O_CREAT, 0644) : -1;
        void* mapped = MAP_FAILED;
        if (file >= 0 && ftruncate(file, 8) == 0)
            mapped = mmap(NULL, 8, PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
        if (file >= 0)
            close(file);
        static uint64_t nowhere;
        counter = mapped == MAP_FAILED ? &nowhere : (volatile uint64_t*)mapped;
    }
    ++*counter;
}

typedef void (*GlxSwap)(void*, unsigned long);
typedef unsigned (*EglSwap)(void*, void*);

void glXSwapBuffers(void* display, unsigned long drawable) {
    static GlxSwap real;
    if (!real)
        real = (GlxSwap)dlsym(RTLD_NEXT, "glXSwapBuffers");
    Count();
    real(display, drawable);
}

unsigned eglSwapBuffers(void* display, void* surface) {
    static EglSwap real;
    if (!real)
        real = (EglSwap)dlsym(RTLD_NEXT, "eglSwapBuffers");
    Count();
    return real(display, surface);
}
