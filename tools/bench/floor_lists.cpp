#include "tools/bench/floor_lists.h"

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
            ReplayFloorCalls(frames, i, end, nullptr);
            glEndList();
            lists.lists.push_back(list);
        }
        i = end > i ? end : i + 1;
    }
}

void ReplayFloorFrameFromLists(FloorFrames& frames, const FloorLists& lists, HDC dc) {
    NextFloorFrame(frames);
    uint32_t at = 0;
    for (const FloorList& list : lists.lists) {
        ReplayFloorCalls(frames, at, list.first, dc);
        glCallList(list.list);
        at = list.end;
    }
    ReplayFloorCalls(frames, at, frames.header->calls, dc);
}
