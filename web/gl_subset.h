// The part of fixed-function OpenGL that the renderer uses, done on the CPU
// for the browser: matrices, glBegin/glEnd with colours and vertices, clear
// and depth state. A frame comes out as flat arrays of clip-space vertices,
// which the page draws with WebGL in one call per kind of primitive.
#pragma once

#include <stdint.h>

// Everything the page needs to show one frame. Read from JavaScript at the
// address WebFrameData returns, so the layout is part of the page's contract:
// 32-bit fields only, in this order.
struct WebFrame {
    float clearColour[4];
    int32_t viewport[4]; // x, y, width, height
    uint32_t depthTest;  // 1 while the depth test is on
    uint32_t depthFunc;  // as WebGL numbers it
    uint32_t triangleVertices;
    const float* triangles; // per vertex: clip x, y, z, w, then r, g, b
    uint32_t lineVertices;
    const float* lines; // the same layout
};

// Starts a new frame's arrays; the state (matrices, colour) carries over.
void BeginWebFrame();
const WebFrame& WebFrameData();
