#include <float.h>
#include <math.h>

#include <algorithm>

#include "tools/mobilecheck/check.h"

static const double kPi = 3.14159274;

static void PrintShape(FILE* out, uint32_t d, const ShapeList& list, uint32_t* vertexTotal,
                       uint32_t* colourTotal) {
    uint32_t groups[3] = {0, 0, 0}, vertices = 0, finite = 0, colours = 0;
    float low[3] = {FLT_MAX, FLT_MAX, FLT_MAX}, high[3] = {-FLT_MAX, -FLT_MAX, -FLT_MAX};
    for (uint32_t i = 0; i < list.count; i++) {
        const ShapeCommand& command = list[i];
        if (command.op >= BeginTriangles && command.op <= BeginLines)
            groups[command.op - BeginTriangles]++;
        else if (command.op == Color3)
            colours++;
        else if (command.op == Vertex3) {
            vertices++;
            // The extent is of the vertices that can be drawn; the checker
            // warns of the others.
            const float* v = command.values;
            if (!isfinite(v[0]) || !isfinite(v[1]) || !isfinite(v[2]))
                continue;
            finite++;
            for (int k = 0; k < 3; k++) {
                low[k] = fminf(low[k], command.values[k]);
                high[k] = fmaxf(high[k], command.values[k]);
            }
        }
    }
    fprintf(
        out,
        "desc %u: %u groups (%u of triangles, %u of quads, %u of lines), %u vertices, %u colours",
        d, groups[0] + groups[1] + groups[2], groups[0], groups[1], groups[2], vertices, colours);
    if (finite > 0)
        fprintf(out, ", extent x %g to %g; y %g to %g; z %g to %g", low[0], high[0], low[1],
                high[1], low[2], high[2]);
    fputc('\n', out);
    *vertexTotal += vertices;
    *colourTotal += colours;
}

void PrintStats(FILE* out, const Check& check, const Mobile& mobile) {
    uint32_t defined = 0, ends = 0;
    double mass = 0;
    for (uint32_t n = 0; n < mobile.items.count; n++) {
        if (!mobile.items[n].defined)
            continue;
        defined++;
        ends += mobile.items[n].isend;
        mass += mobile.items[n].mass;
    }
    fprintf(out,
            "items: %u defined (%u branches, %u ends) in a table of %u, %u reachable from item 1\n",
            defined, defined - ends, ends, mobile.items.count, mobile.reachable.count);
    uint32_t blocks = 0;
    for (uint32_t line : check.blockLine)
        blocks += line != 0;
    fprintf(out, "shapes: %u desc blocks in a table of %u\n", blocks, mobile.shapes.count);

    uint32_t vertices = 0, colours = 0;
    for (uint32_t d = 0; d < mobile.shapes.count; d++)
        if (d < check.blockLine.size() && check.blockLine[d] != 0)
            PrintShape(out, d, mobile.shapes[d], &vertices, &colours);
    fprintf(out, "total: %u vertices, %u colours, mass %g", vertices, colours, mass);
    if (const MobileItem* root = FindItem(mobile, 1))
        fprintf(out, " (%g hanging from the top)", root->totalmass);
    fputc('\n', out);

    std::vector<int32_t> reachable(mobile.reachable.data,
                                   mobile.reachable.data + mobile.reachable.count);
    std::sort(reachable.begin(), reachable.end());
    for (int32_t n : reachable) {
        const MobileItem& item = mobile.items[(uint32_t)n];
        fprintf(out, "item %d: period %g s, amplitude %g degrees\n", (int)n, 2 * kPi / item.omega,
                kPi * item.totalmass / item.string);
    }
}
