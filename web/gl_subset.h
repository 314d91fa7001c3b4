// The part of fixed-function OpenGL that the renderer uses, done on the CPU
// for the browser: matrices, glBegin/glEnd with colours and vertices, clear
// and depth state. A frame comes out as flat arrays of clip-space vertices,
// which the page draws with WebGL in one call per kind of primitive.
#pragma once

#include <stdint.h>

// Each vertex of a frame's arrays, in floats: clip x, y, z, w, then r, g, b.
const uint32_t kWebVertexFloats = 7;
const uint32_t kWebVertexColour = 4; // where r, g, b start
static_assert(kWebVertexColour + 3 == kWebVertexFloats, "r, g, b end each vertex");

// Everything the page needs to show one frame. Read from JavaScript at the
// address WebFrameData returns, each field where the module says it lies
// (WebLayoutName in web/main.cpp): 32-bit fields only.
struct WebFrame {
    float clearColour[4];
    int32_t viewport[4]; // x, y, width, height
    uint32_t depthTest;  // 1 while the depth test is on
    uint32_t depthFunc;  // as WebGL numbers it
    uint32_t triangleVertices;
    const float* triangles; // kWebVertexFloats per vertex
    uint32_t lineVertices;
    const float* lines; // the same layout
};
static_assert(sizeof(const float*) == 4, "the page reads the arrays' addresses as 32-bit words");

// Starts a new frame's arrays; the state (matrices, colour) carries over.
void BeginWebFrame();
const WebFrame& WebFrameData();
