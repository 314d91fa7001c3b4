// The floor's frames: the calls of one frame of the built-in mobile, with the
// arguments that change from frame to frame pulled out into a flat table.
// frame_cost --dump writes the file natively; floor_saver replays it under
// Windows. Both are little-endian x86, so the bytes are the structs.
//
//   FloorHeader
//   FloorCall  calls[header.calls]            frame 0, in order
//   uint32_t   varyingCall[header.varying]    calls whose floats change
//   float      values[header.frames][header.varying][4]
#pragma once

#include <stdint.h>

enum FloorOp : uint32_t {
    OpRotate,
    OpTranslate,
    OpColour,
    OpBegin,
    OpEnd,
    OpVertex,
    OpPush,
    OpPop,
    OpMatrixMode,
    OpIdentity,
    OpClearColour,
    OpClear,
    OpLookAt,
    OpSwap
};

struct FloorHeader {
    char magic[8]; // "HMFLOOR1"
    uint32_t frames;
    uint32_t calls;
    uint32_t varying;
    float fov, znear, zfar; // the description's perspective
    double lookAt[9];       // the camera, the same in every frame
};

struct FloorCall {
    uint32_t op;
    uint32_t word; // enum or bitfield argument
    float f[4];
};

static_assert(sizeof(FloorHeader) == 104, "file layout");
static_assert(sizeof(FloorCall) == 24, "file layout");
