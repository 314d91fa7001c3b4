#include "mobile/parser.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "mobile/report.h"
#include "scene/dynamics.h"

// The scan formats are the description format itself: what sscanf accepts
// here (blanks before numbers, octal and hex item numbers, nothing before a
// literal character) is what a description may say. Each "%n" before an
// "%i" notes where that integer's text starts; it reads nothing and is not
// counted, so the counts are the format's own.
static const char kPerspectiveFormat[] =
    "perspective: %f,%f,%f lookat=%f timef=%f background=%f,%f,%f perimeter=%f "
    "thread=%f,%f,%f,%f periodicity=%f";
static const char kBranchFormat[] = "branch %n%i: desc=%n%i mass=%f radius=%f above=%f string=%f "
                                    "left=%f,%f,%n%i right=%f,%f,%n%i";
static const char kEndFormat[] = "end %n%i: desc=%n%i mass=%f radius=%f above=%f string=%f";
static const char kDescFormat[] = "desc %n%i: offset=%f,%f,%f scale=%f";

// Hands `message` to the parse's report, blamed on the line being read,
// unless `condition` holds. The parse goes on either way.
static void CheckLine(const DescriptionParser& parser, bool condition, const char* message) {
    if (!condition)
        parser.report(message, parser.line, parser.reportContext);
}

uint32_t NextDescriptionLine(const char* bytes, uint32_t count, uint32_t position,
                             uint32_t* length) {
    uint32_t end = position;
    while (end < count && bytes[end] != '\r' && bytes[end] != '\n')
        end++;
    *length = end - position;
    if (end < count && bytes[end] == '\r')
        end++;
    if (end < count && bytes[end] == '\n')
        end++;
    return end;
}

LineKind ClassifyDescriptionLine(char* line, char** start) {
    char* comment = strstr(line, "//");
    if (comment)
        *comment = 0;
    // Only the space itself is skipped: a tab makes the line unrecognised,
    // as it always has.
    while (*line == ' ')
        line++;
    *start = line;
    if (*line == 0)
        return LineBlank;
    // A prefix decides, in this order: "endless" is an end line.
    if (strncmp(line, "perspective", 11) == 0)
        return LinePerspective;
    if (strncmp(line, "branch", 6) == 0)
        return LineBranch;
    if (strncmp(line, "end", 3) == 0)
        return LineEnd;
    if (strncmp(line, "desc", 4) == 0)
        return LineDesc;
    if (strncmp(line, "sgl", 3) == 0)
        return LineSgl;
    return LineUnknown;
}

void StartDescription(DescriptionParser& parser, Mobile& mobile, ParserReport report,
                      void* reportContext) {
    mobile.fov = 45;
    mobile.znear = 3;
    mobile.zfar = 90;
    mobile.lookat = 0;
    mobile.background[0] = mobile.background[1] = mobile.background[2] = 0;
    mobile.timef = 1;
    mobile.perimeter = 30;
    mobile.thread = 0.1f;
    // No colour of its own: white strings show on the default black.
    mobile.threadcolour[0] = mobile.threadcolour[1] = mobile.threadcolour[2] = 1;
    mobile.hasThreadcolour = 0;
    mobile.periodicity = 300;
    mobile.starttick = 0;

    parser.mobile = &mobile;
    parser.currentdesc = -1;
    parser.offset[0] = parser.offset[1] = parser.offset[2] = 0;
    parser.scale = 1;
    parser.recording = ShapeList();
    parser.report = report ? report : ReportToDebugOutput;
    parser.reportContext = reportContext;
    parser.line = 0;
    parser.storedItem = -1;
}

static void ParsePerspective(DescriptionParser& parser, const char* line) {
    Mobile& mobile = *parser.mobile;
    int read =
        sscanf(line, kPerspectiveFormat, &mobile.fov, &mobile.znear, &mobile.zfar, &mobile.lookat,
               &mobile.timef, &mobile.background[0], &mobile.background[1], &mobile.background[2],
               &mobile.perimeter, &mobile.thread, &mobile.threadcolour[0], &mobile.threadcolour[1],
               &mobile.threadcolour[2], &mobile.periodicity);
    if (read >= 11)
        mobile.hasThreadcolour = 1;
    CheckLine(parser, read == 14, "Invalid perspective");
}

static bool IsDigitOf(char c, int base) {
    if (c >= '0' && c <= '9')
        return c - '0' < base;
    return base == 16 && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'));
}

// Whether the integer "%i" read from `text` fits in 32 bits. Past that the C
// runtimes wrap or saturate it, each its own way ("end 4294967297:" would be
// item 1 here and not there), so such a number is taken for what it says: a
// number beyond every bound. The syntax is strtol's in base 0, as "%i" reads.
static bool IntegerFits(const char* text) {
    while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
        text++;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        text++;
    int base = 10;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X') && IsDigitOf(text[2], 16)) {
        base = 16;
        text += 2;
    } else if (text[0] == '0') {
        base = 8;
    }
    const uint64_t limit = negative ? (uint64_t)INT32_MAX + 1 : (uint64_t)INT32_MAX;
    uint64_t value = 0;
    for (; IsDigitOf(*text, base); text++) {
        value = value * (uint64_t)base +
                (uint64_t)(*text <= '9' ? *text - '0' : (*text | 32) - 'a' + 10);
        if (value > limit)
            return false;
    }
    return true;
}

// The integers of one scanned line: where each one's text starts (-1 until
// the scan got there) and its place among the line's conversions.
struct ScannedIntegers {
    int starts[4];
    int places[4];
    int count;
};

// Whether every integer the scan read (the first `read` conversions) fits.
static bool IntegersFit(const char* line, int read, const ScannedIntegers& integers) {
    for (int i = 0; i < integers.count; i++)
        if (integers.places[i] < read && integers.starts[i] >= 0 &&
            !IntegerFits(line + integers.starts[i]))
            return false;
    return true;
}

static bool NumberInRange(int read, int32_t number) {
    return read >= 1 && number >= 0 && number <= kMaxMobileNumber;
}

// A short line is stored all the same. What it did not supply is 0, but its
// desc and child numbers are -1, which names nothing, so that a cut-off
// branch hangs nothing rather than whatever item 0 may be.
static void ParseItemLine(DescriptionParser& parser, const char* line, bool isend) {
    MobileItem item;
    memset(&item, 0, sizeof item);
    item.desc = -1;
    item.left.item = item.right.item = -1;
    int32_t number = -1;
    int read;
    ScannedIntegers integers = {{-1, -1, -1, -1}, {0, 1, 8, 11}, isend ? 2 : 4};
    int* at = integers.starts;
    if (isend) {
        read = sscanf(line, kEndFormat, &at[0], &number, &at[1], &item.desc, &item.mass,
                      &item.radius, &item.above, &item.string);
    } else {
        read = sscanf(line, kBranchFormat, &at[0], &number, &at[1], &item.desc, &item.mass,
                      &item.radius, &item.above, &item.string, &item.left.x, &item.left.y, &at[2],
                      &item.left.item, &item.right.x, &item.right.y, &at[3], &item.right.item);
    }
    // A line whose number is missing, negative or beyond the bound has no
    // entry to go to: it is reported like any short line and stores nothing.
    // So is a line with any integer too large for 32 bits, whatever the C
    // runtime made of it: a wrapped child or desc would name another one.
    bool numbered = NumberInRange(read, number) && IntegersFit(line, read, integers);
    CheckLine(parser, numbered && read == (isend ? 6 : 12),
              isend ? "Invalid end" : "Invalid branch");
    if (!numbered)
        return;
    item.defined = 1;
    item.isend = isend ? 1 : 0;
    Table<MobileItem>& items = parser.mobile->items;
    if ((uint32_t)number >= items.count && !TableResize(items, (uint32_t)number + 1))
        return;
    items[(uint32_t)number] = item;
    parser.storedItem = number;
}

// Hands the open block's recording to the shape table, replacing the list
// there, and leaves no block open.
static void CloseBlock(DescriptionParser& parser) {
    if (parser.currentdesc >= 0) {
        ShapeList& slot = parser.mobile->shapes[(uint32_t)parser.currentdesc];
        TableFree(slot);
        slot = parser.recording;
        parser.recording = ShapeList();
    }
    parser.recording.count = 0;
    parser.currentdesc = -1;
}

static void ParseDescLine(DescriptionParser& parser, const char* line) {
    CloseBlock(parser);
    parser.offset[0] = parser.offset[1] = parser.offset[2] = 0;
    parser.scale = 1;
    int32_t number = -1;
    ScannedIntegers integers = {{-1}, {0}, 1};
    int read = sscanf(line, kDescFormat, &integers.starts[0], &number, &parser.offset[0],
                      &parser.offset[1], &parser.offset[2], &parser.scale);
    // Without a usable number the line opens no block: the commands after it
    // are orphans, reported and dropped, until the next good desc line.
    bool numbered = NumberInRange(read, number) && IntegersFit(line, read, integers);
    CheckLine(parser, numbered && (read == 1 || read == 5), "invalid desc prefix");
    if (!numbered)
        return;
    Table<ShapeList>& shapes = parser.mobile->shapes;
    if ((uint32_t)number >= shapes.count && !TableResize(shapes, (uint32_t)number + 1))
        return;
    parser.currentdesc = number;
}

// Reads up to three numbers "a,b,c" into `values`; the ones not read are 0.
static bool ScanTriple(const char* text, float values[3]) {
    values[0] = values[1] = values[2] = 0;
    return sscanf(text, "%f,%f,%f", &values[0], &values[1], &values[2]) == 3;
}

// Decodes one sgl line (edited in place) into `command`. Returns false when
// the line records nothing: a Begin of another kind and an unknown command
// are reported and left out, since they would draw nothing anyway.
static bool DecodeShapeCommand(const DescriptionParser& parser, char* line, ShapeCommand* command) {
    char* close = strchr(line, ')');
    if (close)
        *close = 0;
    char* name = line + 3;
    char* arguments = strchr(name, '(');
    if (arguments)
        *arguments++ = 0;
    else
        arguments = name + strlen(name);

    memset(command, 0, sizeof *command);
    if (strcmp(name, "Color3") == 0) {
        command->op = Color3;
        CheckLine(parser, ScanTriple(arguments, command->values), "invalid color3");
        return true;
    }
    if (strcmp(name, "Begin") == 0) {
        if (strcmp(arguments, "GL_TRIANGLES") == 0)
            command->op = BeginTriangles;
        else if (strcmp(arguments, "GL_QUADS") == 0)
            command->op = BeginQuads;
        else if (strcmp(arguments, "GL_LINES") == 0)
            command->op = BeginLines;
        else {
            CheckLine(parser, false, "sglBegin not TRIANGLES, QUADS or LINES");
            return false;
        }
        return true;
    }
    if (strcmp(name, "Vertex3") == 0) {
        command->op = Vertex3;
        float* v = command->values;
        CheckLine(parser, ScanTriple(arguments, v), "invalid Vertex3");
        for (int i = 0; i < 3; i++)
            v[i] = (float)(((double)v[i] - parser.offset[i]) * parser.scale);
        return true;
    }
    if (strcmp(name, "End") == 0) {
        command->op = End;
        return true;
    }
    CheckLine(parser, false, "unrecognised sgl command");
    return false;
}

// An orphan command is decoded (so that its faults are reported too) but not
// recorded: its recording would be thrown away unseen, and leaving it out
// keeps a text of nothing but orphans from piling up memory.
static void ParseShapeLine(DescriptionParser& parser, char* line) {
    bool open = parser.currentdesc >= 0;
    CheckLine(parser, open, "found an orphan sgl command");
    ShapeCommand command;
    if (DecodeShapeCommand(parser, line, &command) && open)
        TablePush(parser.recording, command);
}

void ParseDescriptionLine(DescriptionParser& parser, char* line, uint32_t number) {
    parser.line = number;
    parser.storedItem = -1;
    char* start;
    switch (ClassifyDescriptionLine(line, &start)) {
    case LineBlank:
        break;
    case LinePerspective:
        ParsePerspective(parser, start);
        break;
    case LineBranch:
        ParseItemLine(parser, start, false);
        break;
    case LineEnd:
        ParseItemLine(parser, start, true);
        break;
    case LineDesc:
        ParseDescLine(parser, start);
        break;
    case LineSgl:
        ParseShapeLine(parser, start);
        break;
    case LineUnknown:
        CheckLine(parser, false, "unrecognised mobile command");
        break;
    }
}

void FinishDescription(DescriptionParser& parser) {
    CloseBlock(parser);
    TableFree(parser.recording);
    Mobile& mobile = *parser.mobile;
    parser.line = 0;
    CheckLine(parser, FindItem(mobile, 1) != nullptr, "item1 undefined");
    PrepareDynamics(mobile, 1);
    UpdateAngles(mobile);
}

void ParseMobileDescription(Mobile& mobile, const char* bytes, uint32_t count, ParserReport report,
                            void* reportContext) {
    DescriptionParser parser;
    StartDescription(parser, mobile, report, reportContext);
    // One buffer for every line, replaced only by a longer line. A line too
    // long to copy at all (memory exhausted) is skipped.
    char* line = nullptr;
    size_t capacity = 0;
    uint32_t position = 0;
    uint32_t number = 0;
    while (position < count) {
        uint32_t length;
        uint32_t next = NextDescriptionLine(bytes, count, position, &length);
        number++;
        if ((size_t)length + 1 > capacity) {
            free(line);
            capacity = (size_t)length + 1;
            line = (char*)malloc(capacity);
            if (!line)
                capacity = 0;
        }
        if (line) {
            memcpy(line, bytes + position, length);
            line[length] = 0;
            ParseDescriptionLine(parser, line, number);
        }
        position = next;
    }
    free(line);
    FinishDescription(parser);
}
