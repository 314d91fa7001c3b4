#include "mobile/author_check.h"

#include <math.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <utility>

#include "mobile/parser.h"

template <typename T> static void Put(std::vector<T>& table, int32_t index, const T& value) {
    if ((size_t)index >= table.size())
        table.resize((size_t)index + 1);
    table[(size_t)index] = value;
}

static bool AllFinite(const float* values, int count) {
    for (int i = 0; i < count; i++)
        if (!isfinite(values[i]))
            return false;
    return true;
}

static void StoreBlock(Check& check, const DescriptionParser& parser, AuthorBlock& block) {
    if (parser.currentdesc < 0)
        return;
    Put(check.blockLine, parser.currentdesc, block.line);
    Put(check.commandLines, parser.currentdesc, block.commands);
}

void StartAuthorParse(AuthorParse& parse, Mobile& mobile, const char* bytes, uint32_t count,
                      ParserReport report, void* reportContext) {
    parse.check = Check{};
    parse.block = AuthorBlock{};
    parse.bytes = bytes;
    parse.count = count;
    parse.position = parse.number = 0;
    parse.finished = false;
    if (report)
        StartDescription(parse.parser, mobile, report, reportContext);
    else
        StartDescription(parse.parser, mobile, CollectReport, &parse.check.reports);
}

bool ContinueAuthorParse(AuthorParse& parse, uint32_t lines) {
    Check& check = parse.check;
    DescriptionParser& parser = parse.parser;
    AuthorBlock& block = parse.block;
    std::vector<char>& line = parse.line;
    for (uint32_t done = 0; done < lines && parse.position < parse.count; done++) {
        uint32_t length;
        uint32_t next = NextDescriptionLine(parse.bytes, parse.count, parse.position, &length);
        uint32_t number = ++parse.number;
        line.assign(parse.bytes + parse.position, parse.bytes + parse.position + length);
        if (memchr(line.data(), 0, length))
            check.nulLines.push_back(number);
        line.push_back(0);
        parse.position = next;

        // Classifying first only cuts the comment and finds the start, which
        // the parser would do all the same.
        char* start;
        LineKind kind = ClassifyDescriptionLine(line.data(), &start);
        if (kind == LineDesc)
            StoreBlock(check, parser, block);
        uint32_t recorded = parser.recording.count;

        ParseDescriptionLine(parser, start, number);

        if (kind == LinePerspective)
            check.perspectiveLine = number;
        if (parser.storedItem >= 0)
            Put(check.itemLine, parser.storedItem, number);
        if (kind == LineDesc && parser.currentdesc >= 0) {
            block.line = number;
            block.commands.clear();
        }
        if (parser.recording.count > recorded)
            block.commands.push_back(number);
    }
    if (parse.position < parse.count)
        return false;
    if (!parse.finished) {
        StoreBlock(check, parser, block);
        FinishDescription(parser);
        parse.finished = true;
    }
    return true;
}

void ParseWithSideTables(Check& check, Mobile& mobile, const char* bytes, uint32_t count) {
    AuthorParse parse;
    StartAuthorParse(parse, mobile, bytes, count);
    ContinueAuthorParse(parse, UINT32_MAX);
    check = std::move(parse.check);
}

static uint32_t LineOf(const std::vector<uint32_t>& lines, int32_t index) {
    return index >= 0 && (size_t)index < lines.size() ? lines[(size_t)index] : 0;
}

static void Warn(std::vector<Report>& reports, uint32_t line, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

static void Warn(std::vector<Report>& reports, uint32_t line, const char* format, ...) {
    char text[256];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    reports.push_back(Report{line, true, text});
}

// Children that name nothing, and child references that close a cycle: a
// depth-first walk in the order the saver's preparation takes, from item 1
// first, so that the reference reported is the one the saver leaves out.
static void WarnReferences(Check& check, const Mobile& mobile) {
    uint32_t count = mobile.items.count;
    for (uint32_t n = 0; n < count; n++) {
        const MobileItem& item = mobile.items[n];
        if (!item.defined || item.isend)
            continue;
        const Attachment* sides[2] = {&item.left, &item.right};
        for (int side = 0; side < 2; side++) {
            int32_t child = sides[side]->item;
            const char* name = side == 0 ? "left" : "right";
            if (child < 0 || (uint32_t)child >= count)
                Warn(check.reports, LineOf(check.itemLine, (int32_t)n),
                     "item %u: %s child %d is outside the item table", n, name, (int)child);
            else if (!mobile.items[(uint32_t)child].defined)
                Warn(check.reports, LineOf(check.itemLine, (int32_t)n),
                     "item %u: %s child %d is not defined", n, name, (int)child);
        }
    }

    std::vector<uint8_t> state(count, 0); // 0 unseen, 1 open, 2 done
    std::vector<std::pair<int32_t, int>> stack;
    std::vector<int32_t> roots;
    roots.push_back(1);
    for (uint32_t n = 0; n < count; n++)
        roots.push_back((int32_t)n);
    for (int32_t root : roots) {
        if (!FindItem(mobile, root) || state[(size_t)root] != 0)
            continue;
        stack.push_back({root, 0});
        state[(size_t)root] = 1;
        while (!stack.empty()) {
            int32_t n = stack.back().first;
            int side = stack.back().second++;
            const MobileItem& item = mobile.items[(uint32_t)n];
            if (item.isend || side == 2) {
                state[(size_t)n] = 2;
                stack.pop_back();
                continue;
            }
            int32_t child = side == 0 ? item.left.item : item.right.item;
            if (!FindItem(mobile, child))
                continue;
            if (state[(size_t)child] == 1)
                Warn(check.reports, LineOf(check.itemLine, n),
                     "item %d: %s child %d closes a cycle", (int)n, side == 0 ? "left" : "right",
                     (int)child);
            else if (state[(size_t)child] == 0) {
                state[(size_t)child] = 1;
                stack.push_back({child, 0});
            }
        }
    }
}

static void WarnItems(Check& check, const Mobile& mobile) {
    std::vector<uint8_t> reachable(mobile.items.count, 0);
    for (uint32_t i = 0; i < mobile.reachable.count; i++)
        reachable[(size_t)mobile.reachable[i]] = 1;
    for (uint32_t n = 0; n < mobile.items.count; n++) {
        const MobileItem& item = mobile.items[n];
        if (!item.defined)
            continue;
        uint32_t line = LineOf(check.itemLine, (int32_t)n);
        if (LineOf(check.blockLine, item.desc) == 0)
            Warn(check.reports, line, "item %u: desc %d names no shape", n, (int)item.desc);
        if (!reachable[n])
            Warn(check.reports, line, "item %u is not reachable from item 1", n);
    }
}

// A number the saver cannot draw or move with: an overflowing "1e39", a
// "nan", or a vertex that its block's offset and scale carried past the
// largest float. The picture and the motion of such an item are undefined.
static void WarnNonFinite(Check& check, const Mobile& mobile) {
    // The defaults are finite: a setting that is not came from a perspective line.
    const struct {
        const char* name;
        const float* values;
        int count;
    } settings[] = {{"fov", &mobile.fov, 1},
                    {"znear", &mobile.znear, 1},
                    {"zfar", &mobile.zfar, 1},
                    {"lookat", &mobile.lookat, 1},
                    {"timef", &mobile.timef, 1},
                    {"background", mobile.background, 3},
                    {"perimeter", &mobile.perimeter, 1},
                    {"thread", &mobile.thread, 1},
                    {"threadcolour", mobile.threadcolour, 3},
                    {"periodicity", &mobile.periodicity, 1}};
    for (const auto& setting : settings)
        if (!AllFinite(setting.values, setting.count))
            Warn(check.reports, check.perspectiveLine, "perspective: %s is not a finite number",
                 setting.name);
    for (uint32_t n = 0; n < mobile.items.count; n++) {
        const MobileItem& item = mobile.items[n];
        if (!item.defined)
            continue;
        const struct {
            const char* name;
            float value;
        } fields[] = {{"mass", item.mass},       {"radius", item.radius},  {"above", item.above},
                      {"string", item.string},   {"left x", item.left.x},  {"left y", item.left.y},
                      {"right x", item.right.x}, {"right y", item.right.y}};
        for (const auto& field : fields)
            if (!isfinite(field.value))
                Warn(check.reports, LineOf(check.itemLine, (int32_t)n),
                     "item %u: %s is not a finite number", n, field.name);
    }
    for (uint32_t d = 0; d < mobile.shapes.count && d < check.commandLines.size(); d++) {
        const ShapeList& list = mobile.shapes[d];
        const std::vector<uint32_t>& lines = check.commandLines[d];
        for (uint32_t i = 0; i < list.count && i < lines.size(); i++) {
            ShapeOp op = list[i].op;
            if ((op == Vertex3 || op == Color3) && !AllFinite(list[i].values, 3))
                Warn(check.reports, lines[i], "desc %u: %s gives a number that is not finite", d,
                     op == Vertex3 ? "sglVertex3" : "sglColor3");
        }
    }
}

// Begin and End in pairs, and whole primitives in every group.
static void WarnGroups(Check& check, const Mobile& mobile) {
    for (uint32_t d = 0; d < mobile.shapes.count && d < check.commandLines.size(); d++) {
        const ShapeList& list = mobile.shapes[d];
        const std::vector<uint32_t>& lines = check.commandLines[d];
        int open = -1; // the Begin command of the open group
        uint32_t vertices = 0;
        for (uint32_t i = 0; i < list.count && i < lines.size(); i++) {
            ShapeOp op = list[i].op;
            if (op == BeginTriangles || op == BeginQuads || op == BeginLines) {
                if (open >= 0)
                    Warn(check.reports, lines[i], "sglBegin inside a group that has no sglEnd yet");
                open = (int)i;
                vertices = 0;
            } else if (op == Vertex3) {
                vertices++;
            } else if (op == End) {
                if (open < 0) {
                    Warn(check.reports, lines[i], "sglEnd without sglBegin");
                    continue;
                }
                ShapeOp kind = list[(uint32_t)open].op;
                uint32_t per = kind == BeginTriangles ? 3 : kind == BeginQuads ? 4 : 2;
                if (vertices % per != 0)
                    Warn(check.reports, lines[(size_t)open],
                         "group of %s has %u vertices, not a multiple of %u",
                         kind == BeginTriangles ? "triangles"
                         : kind == BeginQuads   ? "quads"
                                                : "lines",
                         vertices, per);
                open = -1;
            }
        }
        if (open >= 0)
            Warn(check.reports, lines[(size_t)open], "sglBegin without sglEnd");
    }
}

void AddWarnings(Check& check, const Mobile& mobile) {
    size_t first = check.reports.size();
    // The parser reads a line up to its first NUL, as C text: the rest of
    // the line is there in the editor and in the file, but not in the mobile.
    for (uint32_t line : check.nulLines)
        Warn(check.reports, line, "a NUL byte hides the rest of this line");
    WarnReferences(check, mobile);
    WarnItems(check, mobile);
    WarnGroups(check, mobile);
    WarnNonFinite(check, mobile);
    std::stable_sort(check.reports.begin() + (long)first, check.reports.end(),
                     [](const Report& a, const Report& b) { return a.line < b.line; });
}
