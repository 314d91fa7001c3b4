// libFuzzer target: any bytes through the parser, the preparation, two
// angle updates and a drawn frame (into a null OpenGL), then the invariants
// the renderer relies on are checked.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "mobile/mobile.h"
#include "mobile/parser.h"
#include "mobile/platform.h"
#include "null_gl.h"
#include "scene/dynamics.h"
#include "scene/renderer.h"

static void Discard(const char*, uint32_t, void*) {}

static void Require(bool condition) {
    if (!condition)
        abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > UINT32_MAX)
        return 0;
    SetTestClock(1000);
    Mobile mobile = {};
    ParseMobileDescription(mobile, (const char*)data, (uint32_t)size, Discard);
    SetTestClock(1000 + (size > 0 ? data[0] : 0) * 977u);
    UpdateAngles(mobile);

    // Every prepared item is a defined entry of the table, and only once.
    uint8_t* seen = (uint8_t*)calloc(mobile.items.count + 1, 1);
    for (uint32_t i = 0; i < mobile.reachable.count; i++) {
        int32_t n = mobile.reachable[i];
        Require(FindItem(mobile, n) != nullptr);
        Require(!seen[n]);
        seen[n] = 1;
    }
    free(seen);
    Require(mobile.reachable.count == 0 || FindItem(mobile, 1) != nullptr);
    Require(mobile.items.count <= (uint32_t)kMaxMobileNumber + 1);
    Require(mobile.shapes.count <= (uint32_t)kMaxMobileNumber + 1);
    // Only the six kinds are ever recorded.
    for (uint32_t d = 0; d < mobile.shapes.count; d++)
        for (uint32_t c = 0; c < mobile.shapes[d].count; c++)
            Require(mobile.shapes[d][c].op >= Color3 && mobile.shapes[d][c].op <= End);

    // A frame clears once, balances its matrix stacks and keeps to the drawing
    // budget, whatever the tree: an item costs sixteen calls (eight of them its
    // string's vertices) and one per command of its shape.
    nullGl = NullGlCounts{};
    DrawMobileView(mobile, 20, 0);
    Require(nullGl.frames == 1);
    Require(nullGl.depth == 0);
    Require(8 * nullGl.items + nullGl.vertices <= DrawBudget(mobile));
    FreeMobile(mobile);
    return 0;
}
