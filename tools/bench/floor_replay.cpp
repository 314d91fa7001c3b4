#include "tools/bench/floor_replay.h"

#include <stdio.h>
#include <string.h>

bool ReadFloorFrames(char* bytes, uint64_t size, FloorFrames& frames) {
    if (size < sizeof(FloorHeader))
        return false;
    const FloorHeader* header = (const FloorHeader*)bytes;
    uint64_t need = sizeof(FloorHeader) + (uint64_t)header->calls * sizeof(FloorCall) +
                    (uint64_t)header->varying * 4 +
                    (uint64_t)header->frames * header->varying * 4 * sizeof(float);
    if (memcmp(header->magic, "HMFLOOR1", 8) != 0 || header->frames == 0 || need != size)
        return false;
    frames.header = header;
    frames.calls = (FloorCall*)(bytes + sizeof(FloorHeader));
    frames.varyingCall = (const uint32_t*)(frames.calls + header->calls);
    frames.values = (const float(*)[4])(frames.varyingCall + header->varying);
    frames.frame = 0;
    return true;
}

void NextFloorFrame(FloorFrames& frames) {
    const FloorHeader& h = *frames.header;
    const float(*values)[4] = frames.values + (size_t)(frames.frame % h.frames) * h.varying;
    frames.frame++;
    for (uint32_t i = 0; i < h.varying; i++)
        memcpy(frames.calls[frames.varyingCall[i]].f, values[i], sizeof values[i]);
}

void ReplayFloorCalls(const FloorFrames& frames, uint32_t first, uint32_t end, HDC dc) {
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

void ReplayFloorFrame(FloorFrames& frames, HDC dc) {
    NextFloorFrame(frames);
    ReplayFloorCalls(frames, 0, frames.header->calls, dc);
}

bool LoadFloorFrames(const char* path, std::vector<char>& bytes, FloorFrames& frames) {
    FILE* file = fopen(path, "rb");
    if (!file)
        return false;
    char chunk[65536];
    for (size_t n; (n = fread(chunk, 1, sizeof chunk, file)) > 0;)
        bytes.insert(bytes.end(), chunk, chunk + n);
    fclose(file);
    return ReadFloorFrames(bytes.data(), bytes.size(), frames);
}
