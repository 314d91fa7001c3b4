// A second floor for X11: the floor's frames with every shape compiled once
// into a display list and replayed from there. A shape is a run of calls
// that never change from frame to frame (colours, vertices, the transforms
// and pushes between them); only the calls whose figures change (each
// item's turn about its string) and the frame's own calls (clear, camera,
// swap) are made anew each frame.
#pragma once

#include <vector>

#include "tools/bench/floor_replay.h"

struct FloorList {
    uint32_t first, end; // the calls [first, end) it holds
    GLuint list;
};

struct FloorLists {
    std::vector<FloorList> lists; // in call order
};

// Compiles the shapes of `frames` in the current context.
void CompileFloorLists(const FloorFrames& frames, FloorLists& lists);

// Draws the next frame, the shapes from their lists, and swaps on `dc`.
void ReplayFloorFrameFromLists(FloorFrames& frames, const FloorLists& lists, HDC dc);
