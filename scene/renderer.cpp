#include "scene/renderer.h"

#include <math.h>

// Degrees to radians as the camera has always done it: 3.141592 / 180, a
// hair under pi / 180. Stored camera positions were chosen with it.
static const double kCameraAngleFactor = 0.01745328888888889;

void DrawShape(const ShapeList& shape) {
    for (uint32_t i = 0; i < shape.count; i++) {
        const ShapeCommand& command = shape[i];
        const float* v = command.values;
        switch (command.op) {
        case Color3:
            glColor3f(v[0], v[1], v[2]);
            break;
        case BeginTriangles:
            glBegin(GL_TRIANGLES);
            break;
        case BeginQuads:
            glBegin(GL_QUADS);
            break;
        case BeginLines:
            glBegin(GL_LINES);
            break;
        case Vertex3:
            glVertex3f(v[0], v[1], v[2]);
            break;
        case End:
            glEnd();
            break;
        default:
            break; // a kind we do not know draws nothing
        }
    }
}

// The string: two crossed upright quads of width `thread`, from the item's
// origin up to its hanging point. Quads rather than lines, so that strings
// show on drivers without line support.
static void DrawString(float thread, float above) {
    float h = thread * 0.5f;
    glBegin(GL_QUADS);
    glVertex3f(-h, 0, 0);
    glVertex3f(h, 0, 0);
    glVertex3f(h, above, 0);
    glVertex3f(-h, above, 0);
    glVertex3f(0, 0, -h);
    glVertex3f(0, 0, h);
    glVertex3f(0, above, h);
    glVertex3f(0, above, -h);
    glEnd();
}

// One item without its children: turned about the string, moved down it,
// string and shape drawn.
static void DrawItemBody(const Mobile& mobile, const MobileItem& item) {
    glRotatef(item.angle, 0, 1, 0);
    glTranslatef(0, -item.above, 0);
    glColor3f(mobile.threadcolour[0], mobile.threadcolour[1], mobile.threadcolour[2]);
    DrawString(mobile.thread, item.above);
    if (item.desc >= 0 && (uint32_t)item.desc < mobile.shapes.count)
        DrawShape(mobile.shapes[(uint32_t)item.desc]);
}

// Scratch for the walk, kept between frames so that drawing allocates only
// when a larger mobile than any before is first drawn. The walk runs on the
// GUI thread only and never re-enters itself.
struct DrawScratch {
    Table<int32_t> path;    // items from the root down to the current one
    Table<uint32_t> frames; // for each open left subtree: path depth after its branch
    Table<uint8_t> onPath;  // per item number: on the current path
};
static DrawScratch scratch;

// What drawing one item costs, in OpenGL calls: about sixteen of its own
// (the turn, the move down the string, the thread colour, the string's
// begin, eight vertices and end, and for a branch the push, moves and pop
// around its children), then one per command of its shape.
static const uint64_t kItemCalls = 16;

static uint64_t ItemCost(const Mobile& mobile, const MobileItem& item) {
    uint64_t cost = kItemCalls;
    if (item.desc >= 0 && (uint32_t)item.desc < mobile.shapes.count)
        cost += mobile.shapes[(uint32_t)item.desc].count;
    return cost;
}

// However much a frame may cost: a few milliseconds even in a software
// renderer, and more than ten times the built-in mobile.
static const uint64_t kLeastDrawBudget = 16384;

uint64_t DrawBudget(const Mobile& mobile) {
    uint64_t once = 0;
    for (uint32_t n = 0; n < mobile.items.count; n++)
        if (mobile.items[n].defined)
            once += ItemCost(mobile, mobile.items[n]);
    return once > kLeastDrawBudget ? once : kLeastDrawBudget;
}

// The walk is a tree walk: the left subtree of each branch inside a
// push/pop, the right child continued in the same frame. It is iterative so
// that a deep chain cannot exhaust the stack. A child that is missing,
// undefined or already on the path (a cycle) draws nothing. An item hung
// from two branches is drawn in both places, each place paid from one
// budget: a tree that shares items at every level has more places than any
// frame could draw, so past the budget nothing more is drawn.
bool DrawItem(const Mobile& mobile, int32_t n) {
    uint32_t itemCount = mobile.items.count;
    if (!TableResize(scratch.onPath, itemCount) || !TableReserve(scratch.path, itemCount) ||
        !TableReserve(scratch.frames, itemCount))
        return false;
    scratch.path.count = 0;
    scratch.frames.count = 0;
    uint64_t budget = DrawBudget(mobile);
    bool whole = true;

    int32_t current = n;
    for (;;) {
        // Down the tree: draw the current item, then go into its left child.
        const MobileItem* item = FindItem(mobile, current);
        if (item && !scratch.onPath[(uint32_t)current]) {
            uint64_t cost = ItemCost(mobile, *item);
            if (cost > budget) {
                whole = false;
                budget = 0; // what is drawn stays a prefix of the walk
            } else {
                budget -= cost;
                DrawItemBody(mobile, *item);
                scratch.onPath[(uint32_t)current] = 1;
                scratch.path[scratch.path.count++] = current;
                if (!item->isend) {
                    scratch.frames[scratch.frames.count++] = scratch.path.count;
                    glPushMatrix();
                    glTranslatef(item->left.x, item->left.y, 0);
                    current = item->left.item;
                    continue;
                }
            }
        }
        // The current subtree is done: back to the nearest branch whose left
        // subtree we are in, and on to its right child.
        if (scratch.frames.count == 0)
            break;
        uint32_t depth = scratch.frames[--scratch.frames.count];
        while (scratch.path.count > depth)
            scratch.onPath[(uint32_t)scratch.path[--scratch.path.count]] = 0;
        glPopMatrix();
        const MobileItem& branch = mobile.items[(uint32_t)scratch.path[depth - 1]];
        glTranslatef(branch.right.x, branch.right.y, 0);
        current = branch.right.item;
    }
    while (scratch.path.count > 0)
        scratch.onPath[(uint32_t)scratch.path[--scratch.path.count]] = 0;
    return whole;
}

void CameraEye(const Mobile& mobile, int32_t latitude, int32_t longitude, double eye[3]) {
    double lat = latitude * kCameraAngleFactor;
    double lon = longitude * kCameraAngleFactor;
    double cosLat = cos(lat);
    eye[0] = mobile.perimeter * cos(lon) * cosLat;
    eye[1] = mobile.perimeter * sin(lat) - mobile.lookat;
    eye[2] = mobile.perimeter * sin(lon) * cosLat;
}

bool DrawMobileView(const Mobile& mobile, int32_t latitude, int32_t longitude) {
    glClearColor(mobile.background[0], mobile.background[1], mobile.background[2], 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    // The viewing transform goes onto the projection matrix, inside a push,
    // so the pure perspective set for the window stays intact between frames.
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    double eye[3];
    CameraEye(mobile, latitude, longitude, eye);
    gluLookAt(eye[0], eye[1], eye[2], 0.0, -(double)mobile.lookat, 0.0, 0.0, 1.0, 0.0);

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    bool whole = DrawItem(mobile, 1);

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    return whole;
}
