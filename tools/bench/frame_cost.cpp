// Frame cost against its floor, for callgrind: our frame (UpdateAngles and
// DrawMobileView for the built-in mobile, then the swap) issuing its calls into a null
// OpenGL, next to the same calls replayed from flat arrays precomputed for
// the same frames. tools/bench counts the instructions of each phase with
// callgrind (--toggle-collect=RunOurs / RunFloor).
//
//   frame_cost [FRAMES]
//   frame_cost --dump FILE FRAMES   writes the floor program's frames
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "mobile/builtin.h"
#include "mobile/parser.h"
#include "mobile/platform.h"
#include "scene/dynamics.h"
#include "scene/gl_stand_in.h"
#include "scene/renderer.h"
#include "scene/view.h"
#include "tools/bench/floor_frames.h"

namespace {

using Op = FloorOp;

struct Call {
    Op op;
    unsigned word; // enum or bitfield argument
    float f[4];    // float arguments
    double d[9];   // gluLookAt's
};

std::vector<Call>* recording = nullptr;
unsigned long long sink; // what the null calls leave behind, so none is optimised away

void Record(Op op, unsigned word = 0, float a = 0, float b = 0, float c = 0, float e = 0) {
    sink += op;
    if (recording)
        recording->push_back(Call{op, word, {a, b, c, e}, {}});
}

} // namespace

// The null OpenGL: records while a frame is being captured, else does
// nothing but leave a trace in `sink`. A real OpenGL lives in a library, so
// both sides must pay a call for each of its functions: OpenGL's functions
// (HM_GL_STAND_IN_WITH below) are kept out of line, or the compiler would
// fold them into the floor's loop in this file.
namespace bench_gl {

void glRotatef(GLfloat a, GLfloat x, GLfloat y, GLfloat z) {
    Record(OpRotate, 0, a, x, y, z);
}
void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    Record(OpTranslate, 0, x, y, z);
}
void glColor3f(GLfloat r, GLfloat g, GLfloat b) {
    Record(OpColour, 0, r, g, b);
}
void glBegin(GLenum mode) {
    Record(OpBegin, mode);
}
void glEnd() {
    Record(OpEnd);
}
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    Record(OpVertex, 0, x, y, z);
}
void glPushMatrix() {
    Record(OpPush);
}
void glPopMatrix() {
    Record(OpPop);
}
void glMatrixMode(GLenum mode) {
    Record(OpMatrixMode, mode);
}
void glLoadIdentity() {
    Record(OpIdentity);
}
void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    Record(OpClearColour, 0, r, g, b, a);
}
void glClear(GLbitfield mask) {
    Record(OpClear, mask);
}
void gluLookAt(GLdouble ex, GLdouble ey, GLdouble ez, GLdouble cx, GLdouble cy, GLdouble cz,
               GLdouble ux, GLdouble uy, GLdouble uz) {
    sink += OpLookAt;
    if (recording)
        recording->push_back(Call{OpLookAt, 0, {}, {ex, ey, ez, cx, cy, cz, ux, uy, uz}});
}

HM_GL_STAND_IN_IGNORED_SETUP()

} // namespace bench_gl

#define OUT_OF_LINE __attribute__((noipa))
HM_GL_STAND_IN_WITH(bench_gl, OUT_OF_LINE)

// The host's buffer swap, which ends each frame.
OUT_OF_LINE void ShowFrame() {
    Record(OpSwap);
}

namespace {

const unsigned kStart = 1000;

// Our frames, as the saver draws them.
extern "C" __attribute__((noinline)) void RunOurs(Mobile& mobile, int frames) {
    for (int i = 0; i < frames; i++) {
        SetTestClock(kStart + (unsigned)i * kFrameMilliseconds);
        UpdateAngles(mobile);
        DrawMobileView(mobile, kDefaultLatitude, kDefaultLongitude);
        ShowFrame();
    }
}

// The floor: the same calls from flat arrays, one per frame.
extern "C" __attribute__((noinline)) void RunFloor(const std::vector<std::vector<Call>>& frames) {
    for (const std::vector<Call>& calls : frames) {
        for (const Call& c : calls) {
            switch (c.op) {
            case OpRotate:
                glRotatef(c.f[0], c.f[1], c.f[2], c.f[3]);
                break;
            case OpTranslate:
                glTranslatef(c.f[0], c.f[1], c.f[2]);
                break;
            case OpColour:
                glColor3f(c.f[0], c.f[1], c.f[2]);
                break;
            case OpBegin:
                glBegin(c.word);
                break;
            case OpEnd:
                glEnd();
                break;
            case OpVertex:
                glVertex3f(c.f[0], c.f[1], c.f[2]);
                break;
            case OpPush:
                glPushMatrix();
                break;
            case OpPop:
                glPopMatrix();
                break;
            case OpMatrixMode:
                glMatrixMode(c.word);
                break;
            case OpIdentity:
                glLoadIdentity();
                break;
            case OpClearColour:
                glClearColor(c.f[0], c.f[1], c.f[2], c.f[3]);
                break;
            case OpClear:
                glClear(c.word);
                break;
            case OpLookAt:
                gluLookAt(c.d[0], c.d[1], c.d[2], c.d[3], c.d[4], c.d[5], c.d[6], c.d[7], c.d[8]);
                break;
            case OpSwap:
                ShowFrame();
                break;
            }
        }
    }
}

void ParseBuiltin(Mobile& mobile) {
    SetTestClock(kStart);
    ParseMobileDescription(mobile, builtinMobileText, builtinMobileSize);
}

// The very calls of `frames` frames, as the saver would issue them.
std::vector<std::vector<Call>> RecordFrames(int frames) {
    std::vector<std::vector<Call>> flat((size_t)frames);
    Mobile mobile = {};
    ParseBuiltin(mobile);
    for (int i = 0; i < frames; i++) {
        recording = &flat[(size_t)i];
        RunOurs(mobile, 0); // keeps the symbol; nothing runs
        SetTestClock(kStart + (unsigned)i * kFrameMilliseconds);
        UpdateAngles(mobile);
        DrawMobileView(mobile, kDefaultLatitude, kDefaultLongitude);
        ShowFrame();
    }
    recording = nullptr;
    FreeMobile(mobile);
    return flat;
}

// Arguments are compared bit for bit: the floor replays the very bits.
bool SameCall(const Call& a, const Call& b) {
    // NOLINTNEXTLINE(bugprone-suspicious-memory-comparison)
    return a.op == b.op && a.word == b.word && memcmp(a.d, b.d, sizeof a.d) == 0;
}

// Writes the layout of floor_frames.h. Every frame must issue the same calls
// in the same order; only float arguments may change.
int Dump(const char* path, int frames) {
    std::vector<std::vector<Call>> flat = RecordFrames(frames);
    const std::vector<Call>& first = flat[0];
    std::vector<uint32_t> varying;
    for (size_t c = 0; c < first.size(); c++) {
        bool changes = false;
        for (const std::vector<Call>& calls : flat) {
            if (calls.size() != first.size() || !SameCall(calls[c], first[c])) {
                fprintf(stderr, "frame_cost: the frames differ in their calls\n");
                return 1;
            }
            // NOLINTNEXTLINE(bugprone-suspicious-memory-comparison): bit for bit, as above
            changes = changes || memcmp(calls[c].f, first[c].f, sizeof first[c].f) != 0;
        }
        if (changes)
            varying.push_back((uint32_t)c);
    }
    FloorHeader header = {};
    memcpy(header.magic, "HMFLOOR1", 8);
    header.frames = (uint32_t)frames;
    header.calls = (uint32_t)first.size();
    header.varying = (uint32_t)varying.size();
    Mobile mobile = {};
    ParseBuiltin(mobile);
    header.fov = mobile.fov;
    header.znear = mobile.znear;
    header.zfar = mobile.zfar;
    FreeMobile(mobile);
    for (const Call& c : first) {
        if (c.op == OpLookAt)
            memcpy(header.lookAt, c.d, sizeof header.lookAt);
    }
    FILE* file = fopen(path, "wb");
    if (!file) {
        perror(path);
        return 1;
    }
    fwrite(&header, sizeof header, 1, file);
    for (const Call& c : first) {
        FloorCall out = {c.op, c.word, {c.f[0], c.f[1], c.f[2], c.f[3]}};
        fwrite(&out, sizeof out, 1, file);
    }
    fwrite(varying.data(), sizeof(uint32_t), varying.size(), file);
    for (const std::vector<Call>& calls : flat) {
        for (uint32_t c : varying)
            fwrite(calls[c].f, sizeof calls[c].f, 1, file);
    }
    bool written = !ferror(file);
    written = fclose(file) == 0 && written;
    if (!written) {
        perror(path);
        return 1;
    }
    printf("frames %d, calls per frame %u, of which %u change\n", frames, header.calls,
           header.varying);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && strcmp(argv[1], "--dump") == 0)
        return Dump(argv[2], atoi(argv[3]) > 0 ? atoi(argv[3]) : 1);
    int frames = argc > 1 ? atoi(argv[1]) : 100;
    // Precompute the floor's arrays: the very calls of the same frames.
    std::vector<std::vector<Call>> flat = RecordFrames(frames);
    Mobile mobile = {};
    ParseBuiltin(mobile);
    RunOurs(mobile, frames);
    RunFloor(flat);
    size_t calls = 0, vertices = 0;
    for (const Call& c : flat[0]) {
        calls++;
        vertices += c.op == OpVertex;
    }
    printf("frames %d, calls per frame %zu, vertices per frame %zu (%llu)\n", frames, calls,
           vertices, sink & 1);
    FreeMobile(mobile);
    return 0;
}
