// The in-memory model of one hanging mobile: scene settings, the shapes by
// desc number and the items by item number. Shared by the parser, the
// dynamics and the renderer.
#pragma once

#include <stdint.h>

#include "mobile/table.h"

enum ShapeOp : int32_t {
    Color3 = 0,
    BeginTriangles = 1,
    BeginQuads = 2,
    BeginLines = 3,
    Vertex3 = 4,
    End = 5,
};

struct ShapeCommand {
    ShapeOp op;
    float values[3]; // r, g, b for Color3; x, y, z for Vertex3 (already offset and scaled)
};

typedef Table<ShapeCommand> ShapeList;

// Where a child hangs, in its branch's own turning frame.
struct Attachment {
    float x;
    float y;
    int32_t item;
};

struct MobileItem {
    uint8_t defined; // stored by a branch or end line; clear in the gaps
    uint8_t isend;   // a leaf: nothing hangs from it
    int32_t desc;    // shape drawn for this item
    float above;     // length of the item's own string
    float string;    // string constant: the swing amplitude is divided by it
    float mass;
    float radius; // notional radius: own moment of inertia is mass * radius^2
    Attachment left;
    Attachment right;
    float totalmass; // computed: own mass plus everything hanging below
    float omega;     // computed: angular frequency, radians per scaled second
    float angle;     // computed: current twist about the string, degrees
};

struct Mobile {
    float fov;
    float znear;
    float zfar;
    float lookat;          // the camera aims at (0, -lookat, 0)
    float background[3];   // clear colour
    float timef;           // time scale
    float perimeter;       // camera distance from the aim point
    float thread;          // string thickness
    float threadcolour[3]; // see hasThreadcolour
    float periodicity;     // scaled seconds after which the whole mobile repeats; 0 = off
    Table<ShapeList> shapes;
    Table<MobileItem> items;
    uint32_t starttick; // tick count at which the motion started; 0 = not started

    // A description without a perspective line gives the strings no colour;
    // they are then drawn in the white that threadcolour starts with, so they
    // show on the default black background. Set once a line supplies any
    // component.
    uint8_t hasThreadcolour;

    // Derived by PrepareDynamics: every item reachable from the prepared
    // item, each exactly once, children before the branch they hang from.
    // A child reference that is negative, beyond the table, names an
    // undefined item or leads back to an item whose preparation is still
    // open (a cycle) is not followed. UpdateAngles sets the angles of these
    // items and no others, so a frame needs neither checks nor allocation.
    Table<int32_t> reachable;
};

// The highest item or desc number a description may use. A line with a
// larger (or negative) number is reported and changes nothing, so that one
// stray digit cannot make the tables take gigabytes; the bound still allows
// a chain of 100,000 items and more.
const int32_t kMaxMobileNumber = 199999;

// Frees every table of the mobile (items, then shapes with their lists).
void FreeMobile(Mobile& mobile);

// Item n when it exists and is defined, else null.
inline const MobileItem* FindItem(const Mobile& mobile, int32_t n) {
    if (n < 0 || (uint32_t)n >= mobile.items.count || !mobile.items[(uint32_t)n].defined)
        return nullptr;
    return &mobile.items[(uint32_t)n];
}

// An author's new reading takes the place of the mobile on the screen only
// when it hangs an item 1 (then true); any other is freed and the last good
// mobile stays (false), so that a broken or half-written description never
// empties the screen. Either way `reading` holds nothing to free afterwards.
bool ReplaceWithReading(Mobile& shown, Mobile& reading);
