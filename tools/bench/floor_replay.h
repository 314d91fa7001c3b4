// Replays the floor's frames (floor_frames.h) through OpenGL: shared by the
// Windows floor and the X11 floor, so that both draw exactly the same calls.
#pragma once

#include <stdint.h>

#include <vector>

#include "scene/gl.h"
#include "tools/bench/floor_frames.h"

#ifndef _WIN32
// The X11 floor shows its frames on its own window; the handle means nothing.
typedef void* HDC;
int SwapBuffers(HDC dc);
#endif

struct FloorFrames {
    const FloorHeader* header;
    FloorCall* calls; // frame 0's calls, their varying floats rewritten per frame
    const uint32_t* varyingCall;
    const float (*values)[4];
    uint32_t frame; // the next frame to draw
};

// Checks the layout of `size` bytes read from a frames file and points
// `frames` into them (they must stay, writable, as long as it is used).
bool ReadFloorFrames(char* bytes, uint64_t size, FloorFrames& frames);

// Reads the frames file at `path` into `bytes` and points `frames` into them,
// as ReadFloorFrames does. False when it cannot be read or is not one.
bool LoadFloorFrames(const char* path, std::vector<char>& bytes, FloorFrames& frames);

// Draws the next frame and swaps on `dc`; after the last it starts again.
void ReplayFloorFrame(FloorFrames& frames, HDC dc);
// Its two steps: the next frame's figures written into the calls, and the
// calls [first, end) made as they now stand.
void NextFloorFrame(FloorFrames& frames);
void ReplayFloorCalls(const FloorFrames& frames, uint32_t first, uint32_t end, HDC dc);
