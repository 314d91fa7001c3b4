#pragma once

#include <stdint.h>

struct NullGlCounts {
    uint64_t items; // items drawn (one turn each)
    uint64_t vertices;
    int64_t depth;   // pushes minus pops, over both matrix stacks
    uint64_t frames; // clears: one per frame
};

extern NullGlCounts nullGl;
