/* Preloaded into hangingmobile by the test of a window destroyed while the
 * program starts OpenGL: the window's owner destroys it at the worst moment
 * the X server allows, just as the program makes its context current. The
 * owner's connection is opened before the program's first call (a server
 * grabbed later would keep it from opening); its destruction is waited for
 * unless the program holds the server grabbed, where, as any other
 * client's request, it waits until the grab is let go.
 *
 * What OpenGL's failed question about a gone window leaves unset is
 * whatever lay there before; here it is a size of 8192 x 8192 every time. */
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <dlfcn.h>
#include <stdlib.h>

static Display* owner;
static int grabs;

__attribute__((constructor)) static void OpenOwner(void) {
    owner = XOpenDisplay(getenv("DISPLAY"));
}

int XGrabServer(Display* display) {
    int (*grab)(Display*) = (int (*)(Display*))dlsym(RTLD_NEXT, "XGrabServer");
    grabs++;
    return grab(display);
}

int XUngrabServer(Display* display) {
    int (*ungrab)(Display*) = (int (*)(Display*))dlsym(RTLD_NEXT, "XUngrabServer");
    grabs--;
    return ungrab(display);
}

Status XGetGeometry(Display* display, Drawable drawable, Window* root, int* x, int* y,
                    unsigned* width, unsigned* height, unsigned* border, unsigned* depth) {
    Status (*get)(Display*, Drawable, Window*, int*, int*, unsigned*, unsigned*, unsigned*,
                  unsigned*) =
        (Status(*)(Display*, Drawable, Window*, int*, int*, unsigned*, unsigned*, unsigned*,
                   unsigned*))dlsym(RTLD_NEXT, "XGetGeometry");
    *width = *height = 8192;
    return get(display, drawable, root, x, y, width, height, border, depth);
}

Bool glXMakeCurrent(Display* display, GLXDrawable drawable, GLXContext context) {
    Bool (*make)(Display*, GLXDrawable, GLXContext) =
        (Bool(*)(Display*, GLXDrawable, GLXContext))dlsym(RTLD_NEXT, "glXMakeCurrent");
    static int destroyed;
    if (drawable && owner && !destroyed) {
        destroyed = 1;
        XDestroyWindow(owner, drawable);
        if (grabs)
            XFlush(owner);
        else
            XSync(owner, False);
    }
    return make(display, drawable, context);
}
