#include "x11/fps.h"

#include <stdio.h>
#include <time.h>

#include "scene/gl.h"

namespace {

const int kFirstChar = ' ';
const int kCharCount = '~' - ' ' + 1;

long long Microseconds(clockid_t clock) {
    timespec now;
    clock_gettime(clock, &now);
    return (long long)now.tv_sec * 1000000 + now.tv_nsec / 1000;
}

void Write(const FpsMeter& meter, int x, int y, const char* text) {
    glRasterPos2i(x, y);
    for (const char* c = text; *c; c++) {
        // GLX makes no list of a glyph without ink, so a space moves by hand.
        if (*c == ' ')
            glBitmap(0, 0, 0, 0, (GLfloat)XTextWidth(meter.font, " ", 1), 0, nullptr);
        else if (*c > kFirstChar && *c < kFirstChar + kCharCount)
            glCallList(meter.lists + (GLuint)(*c - kFirstChar));
    }
}

} // namespace

bool StartFps(FpsMeter& meter, Display* display) {
    meter = FpsMeter{};
    // A bold face large enough to read across the room, else the one font
    // every X server has built in.
    meter.font = XLoadQueryFont(display, "-*-helvetica-bold-r-normal-*-*-180-*-*-*-*-iso8859-1");
    if (!meter.font)
        meter.font = XLoadQueryFont(display, "fixed");
    if (!meter.font) {
        fprintf(stderr, "hangingmobile: no X font for --fps\n");
        return false;
    }
    meter.lists = glGenLists(kCharCount);
    glXUseXFont(meter.font->fid, kFirstChar, kCharCount, (int)meter.lists);
    meter.periodStart = Microseconds(CLOCK_MONOTONIC);
    meter.cpuAtStart = Microseconds(CLOCK_PROCESS_CPUTIME_ID);
    snprintf(meter.lines[0], sizeof meter.lines[0], "FPS: -");
    snprintf(meter.lines[1], sizeof meter.lines[1], "Load: -");
    return true;
}

void DrawFps(FpsMeter& meter, int width, int height) {
    if (!meter.font)
        return;
    meter.frames++;
    long long now = Microseconds(CLOCK_MONOTONIC);
    long long elapsed = now - meter.periodStart;
    if (elapsed >= 1000000) {
        long long cpu = Microseconds(CLOCK_PROCESS_CPUTIME_ID);
        snprintf(meter.lines[0], sizeof meter.lines[0], "FPS: %.1f",
                 meter.frames * 1e6 / (double)elapsed);
        snprintf(meter.lines[1], sizeof meter.lines[1], "Load: %.1f%%",
                 100.0 * (double)(cpu - meter.cpuAtStart) / (double)elapsed);
        meter.periodStart = now;
        meter.cpuAtStart = cpu;
        meter.frames = 0;
    }

    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LIST_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, width, 0, height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    int lineHeight = meter.font->ascent + meter.font->descent;
    int x = 10, y = 10 + meter.font->descent;
    for (int line = 1; line >= 0; line--, y += lineHeight) {
        // A dark shadow keeps the figures readable over a pale cloud.
        glColor3f(0, 0, 0);
        Write(meter, x + 1, y - 1, meter.lines[line]);
        glColor3f(1, 1, 1);
        Write(meter, x, y, meter.lines[line]);
    }

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}

void StopFps(FpsMeter& meter, Display* display) {
    if (!meter.font)
        return;
    glDeleteLists(meter.lists, kCharCount);
    XFreeFont(display, meter.font);
    meter = FpsMeter{};
}
