#include "scene/dynamics.h"

#include <math.h>
#include <stdlib.h>

#include "mobile/platform.h"

// The motion has always used single-precision constants; the figures of
// existing mobiles (periods, start pose) depend on them.
static const float kPi = 3.14159274f;
static const float kMillisecond = 0.001f;
static const float kStartHalfPeriods = 1.9f;

// The reachable children of a branch as the preparation followed them, -1
// where a reference was not followed.
struct Links {
    int32_t left;
    int32_t right;
};

// One open item of the walk and which of its children comes next.
struct PrepareFrame {
    int32_t item;
    int32_t next; // 0: left, 1: right, 2: done
};

enum Visit : uint8_t { Unseen = 0, Open = 1, Done = 2 };

// Frequency and mass of one item whose children are already prepared.
static void PrepareItem(Mobile& mobile, int32_t n, Links links) {
    MobileItem& item = mobile.items[(uint32_t)n];
    float own = (float)((double)item.radius * item.mass * item.radius);
    item.angle = 0;
    item.totalmass = item.mass;
    double inertia = own;
    if (!item.isend) {
        // A child that is not followed carries no load and adds no inertia.
        double leftMass = 0, rightMass = 0;
        if (links.left >= 0)
            leftMass = mobile.items[(uint32_t)links.left].totalmass;
        if (links.right >= 0)
            rightMass = mobile.items[(uint32_t)links.right].totalmass;
        item.totalmass = (float)(rightMass + item.mass + leftMass);
        double sum = own;
        if (links.left >= 0)
            sum = (double)item.left.x * item.left.x * leftMass + sum;
        if (links.right >= 0)
            sum = sum + (double)item.right.x * item.right.x * rightMass;
        inertia = (float)sum;
    }
    double omega = inertia == 0 ? 1.0 : 1.0 / sqrt(inertia);
    double period = mobile.periodicity;
    if (period != 0) {
        // Round to a whole number of swings in the period, at least one.
        double swings = floor(omega * (period / kPi) * 0.5 + 0.5);
        if (swings == 0)
            swings = 1;
        omega = (kPi / period) * swings * 2;
    }
    item.omega = (float)omega;
}

// The child reference to follow, or -1: it must name a defined item inside
// the table that is not still open on the walk (that would be a cycle).
static int32_t Follow(const Mobile& mobile, const uint8_t* visit, int32_t child) {
    if (!FindItem(mobile, child) || visit[child] == Open)
        return -1;
    return child;
}

// A depth-first walk with an explicit stack, so that a chain of 100,000
// items needs no deep recursion. Every item is prepared once, after its
// children: an item that hangs from two branches is prepared the first time
// and its figures are reused, which keeps the work linear even when items
// are shared at every level.
void PrepareDynamics(Mobile& mobile, int32_t n) {
    mobile.reachable.count = 0;
    if (!FindItem(mobile, n))
        return;
    uint32_t count = mobile.items.count;
    uint8_t* visit = (uint8_t*)calloc(count, 1);
    Links* links = (Links*)malloc(count * sizeof(Links));
    PrepareFrame* stack = (PrepareFrame*)malloc(count * sizeof(PrepareFrame));
    if (!visit || !links || !stack || !TableReserve(mobile.reachable, count)) {
        free(visit);
        free(links);
        free(stack);
        return;
    }

    uint32_t depth = 0;
    stack[depth++] = PrepareFrame{n, 0};
    visit[n] = Open;
    links[n] = Links{-1, -1};
    while (depth > 0) {
        PrepareFrame& frame = stack[depth - 1];
        const MobileItem& item = mobile.items[(uint32_t)frame.item];
        if (item.isend || frame.next == 2) {
            PrepareItem(mobile, frame.item, links[frame.item]);
            visit[frame.item] = Done;
            mobile.reachable[mobile.reachable.count++] = frame.item;
            depth--;
            continue;
        }
        int32_t reference = frame.next == 0 ? item.left.item : item.right.item;
        int32_t child = Follow(mobile, visit, reference);
        if (frame.next == 0)
            links[frame.item].left = child;
        else
            links[frame.item].right = child;
        frame.next++;
        if (child >= 0 && visit[child] == Unseen) {
            visit[child] = Open;
            links[child] = Links{-1, -1};
            stack[depth++] = PrepareFrame{child, 0};
        }
    }
    free(visit);
    free(links);
    free(stack);
}

void UpdateAngles(Mobile& mobile) {
    if (mobile.starttick == 0)
        mobile.starttick = TickCount();
    // Unsigned difference: right across one wrap of the tick counter.
    uint32_t elapsed = TickCount() - mobile.starttick;
    const MobileItem* root = FindItem(mobile, 1);
    if (!root)
        return;
    // Item 1 starts 1.9 half-periods into its swing.
    float t = (float)((double)elapsed * kMillisecond * mobile.timef +
                      ((double)kPi / root->omega) * kStartHalfPeriods);
    // Every prepared item once: an item hanging in two places moves alike in
    // both, so one angle per item serves every place it is drawn.
    for (uint32_t i = 0; i < mobile.reachable.count; i++) {
        MobileItem& item = mobile.items[(uint32_t)mobile.reachable[i]];
        item.angle = (float)(sin((double)t * item.omega) * item.totalmass * kPi / item.string);
    }
}
