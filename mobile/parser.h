// The mobile description parser: turns the text of a description into a
// Mobile, reporting every bad line and going on. The saver's report is the
// system debug output; a host or tool may take the messages itself.
#pragma once

#include <stdint.h>

#include "mobile/mobile.h"
#include "mobile/report.h"

// Fills `mobile`, whose two tables must be empty, from `count` bytes of
// description text (no terminating NUL needed; the bytes are never written).
// At the end it prepares the dynamics from item 1 and sets the first angles,
// which starts the motion's clock. Every message goes to `report`, with the
// number of the line it is about.
void ParseMobileDescription(Mobile& mobile, const char* bytes, uint32_t count,
                            ParserReport report = ReportToDebugOutput,
                            void* reportContext = nullptr);

// The pieces ParseMobileDescription is made of. The author's checker steps
// through a description with them to learn which line made which item and
// command, so that it reads exactly what the saver reads.

enum LineKind {
    LineBlank, // nothing left after the comment and the leading spaces
    LinePerspective,
    LineBranch,
    LineEnd,
    LineDesc,
    LineSgl,
    LineUnknown,
};

// The state of one parse.
struct DescriptionParser {
    Mobile* mobile;
    int32_t currentdesc; // the open desc block, -1 while none is open
    float offset[3];     // of the open block
    float scale;         // of the open block
    ShapeList recording; // commands of the open block, stored when it closes
    ParserReport report; // where the messages go
    void* reportContext;
    uint32_t line;      // the 1-based number of the line being read, 0 at the end
    int32_t storedItem; // the item the last line stored, -1 when it stored none
};

// The line that starts at `position`: sets `*length` to its length without
// the line end and returns where the next line starts. A CR, an LF or a CR
// directly followed by an LF ends a line.
uint32_t NextDescriptionLine(const char* bytes, uint32_t count, uint32_t position,
                             uint32_t* length);

// Cuts the comment off the NUL-terminated `line`, skips its leading spaces
// (sets `*start` to the first other character) and tells its kind.
LineKind ClassifyDescriptionLine(char* line, char** start);

// Sets the mobile's settings to their defaults and opens no block.
void StartDescription(DescriptionParser& parser, Mobile& mobile,
                      ParserReport report = ReportToDebugOutput, void* reportContext = nullptr);

// Reads one NUL-terminated line, editing it in place; its messages name it
// as line `number`.
void ParseDescriptionLine(DescriptionParser& parser, char* line, uint32_t number);

// Stores the open block, checks item 1 and starts the dynamics.
void FinishDescription(DescriptionParser& parser);
