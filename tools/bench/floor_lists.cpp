#include "tools/bench/floor_lists.h"

#include <string.h>

// Calls a list may hold: the same in every frame, and nothing that belongs
// to the frame as a whole.
static bool Compilable(const FloorCall& call) {
    switch (call.op) {
    case OpRotate:
    case OpTranslate:
    case OpColour:
    case OpBegin:
    case OpEnd:
    case OpVertex:
    case OpPush:
    case OpPop:
        return true;
    default:
        return false;
    }
}

// Replays the calls [first, end) of the frame as they are now.
static void Replay(const FloorFrames& frames, uint32_t first, uint32_t end, HDC dc) {
    const double* e = frames.header->lookAt;
    for (const FloorCall *c = frames.calls + first, *stop = frames.calls + end; c != stop; c++) {
        switch (c->op) {
        case OpRotate:
            glRotatef(c->f[0], c->f[1], c->f[2], c->f[3]);
            break;
        case OpTranslate:
            glTranslatef(c->f[0], c->f[1], c->f[2]);
            break;
        case OpColour:
            glColor3f(c->f[0], c->f[1], c->f[2]);
            break;
        case OpBegin:
            glBegin(c->word);
            break;
        case OpEnd:
            glEnd();
            break;
        case OpVertex:
            glVertex3f(c->f[0], c->f[1], c->f[2]);
            break;
        case OpPush:
            glPushMatrix();
            break;
        case OpPop:
            glPopMatrix();
            break;
        case OpMatrixMode:
            glMatrixMode(c->word);
            break;
        case OpIdentity:
            glLoadIdentity();
            break;
        case OpClearColour:
            glClearColor(c->f[0], c->f[1], c->f[2], c->f[3]);
            break;
        case OpClear:
            glClear(c->word);
            break;
        case OpLookAt:
            gluLookAt(e[0], e[1], e[2], e[3], e[4], e[5], e[6], e[7], e[8]);
            break;
        case OpSwap:
            SwapBuffers(dc);
            break;
        }
    }
}

void CompileFloorLists(const FloorFrames& frames, FloorLists& lists) {
    const FloorHeader& h = *frames.header;
    std::vector<bool> varies(h.calls, false);
    for (uint32_t i = 0; i < h.varying; i++)
        varies[frames.varyingCall[i]] = true;
    lists.lists.clear();
    for (uint32_t i = 0; i < h.calls;) {
        uint32_t end = i;
        bool drawsSomething = false;
        while (end < h.calls && !varies[end] && Compilable(frames.calls[end])) {
            drawsSomething |= frames.calls[end].op == OpBegin;
            end++;
        }
        // A run that draws nothing (a lone push or pop) is cheaper made as it is.
        if (drawsSomething) {
            FloorList list = {i, end, glGenLists(1)};
            glNewList(list.list, GL_COMPILE);
            Replay(frames, i, end, nullptr);
            glEndList();
            lists.lists.push_back(list);
        }
        i = end > i ? end : i + 1;
    }
}

void ReplayFloorFrameFromLists(FloorFrames& frames, const FloorLists& lists, HDC dc) {
    const FloorHeader& h = *frames.header;
    const float(*values)[4] = frames.values + (size_t)(frames.frame % h.frames) * h.varying;
    frames.frame++;
    for (uint32_t i = 0; i < h.varying; i++)
        memcpy(frames.calls[frames.varyingCall[i]].f, values[i], sizeof values[i]);
    uint32_t at = 0;
    for (const FloorList& list : lists.lists) {
        Replay(frames, at, list.first, dc);
        glCallList(list.list);
        at = list.end;
    }
    Replay(frames, at, h.calls, dc);
}
