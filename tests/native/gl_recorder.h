// A recording stand-in for the OpenGL and GLU calls the renderer makes.
// Linked instead of a real GL library, it records every call with its
// arguments and keeps a model-view matrix stack, so tests can check both the
// exact call sequence and where vertices end up in the scene.
#pragma once

#include <array>
#include <string>
#include <vector>

struct GlCall {
    const char* name; // the function's name, a literal
    double args[9];
    int argCount;
};

struct GlRecording {
    std::vector<GlCall> calls;
    // Every glVertex3f, transformed by the model-view matrix current then.
    std::vector<std::array<double, 3>> sceneVertices;
    int maxModelViewDepth = 1;
};

extern GlRecording glRecording;

// Clears the recording and resets the matrix stacks to one identity each.
void ResetGlRecording();

// The calls whose names are in `names` (space separated), in order.
std::vector<GlCall> CallsNamed(const char* names);

// "glName(a,b,c)" for each call, for readable sequence comparisons.
std::string Describe(const std::vector<GlCall>& calls);
