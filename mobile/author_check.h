// The author's warnings beyond the parser's messages (undefined, unreachable
// and cycling items, missing shapes, incomplete groups, numbers that are
// not finite, NUL bytes), with the line each comes from. Every program that
// shows an author what a description says uses them: the checker, the page
// and the Linux hosts' readings of a file.
#pragma once

#include <stdint.h>

#include <vector>

#include "mobile/description_file.h"
#include "mobile/mobile.h"
#include "mobile/parser.h"

struct Check {
    std::vector<Report> reports;     // the saver's messages in order, then warnings
    std::vector<uint32_t> itemLine;  // per item number: the line that stored it
    std::vector<uint32_t> blockLine; // per desc number: the desc line of its stored block
    std::vector<std::vector<uint32_t>> commandLines; // per desc number: line of each command
    std::vector<uint32_t> nulLines;                  // lines that hold a NUL byte
    uint32_t perspectiveLine = 0;                    // the last perspective line
};

// Parses like ParseMobileDescription, line by line with the very same code,
// noting where each item, block and command came from.
void ParseWithSideTables(Check& check, Mobile& mobile, const char* bytes, uint32_t count);

// The same parse a few lines at a time, for a host that must go on drawing
// and reading keys meanwhile (the page). The bytes and the mobile stay where
// they are until it is done.
struct AuthorBlock {
    uint32_t line = 0;
    std::vector<uint32_t> commands;
};
struct AuthorParse {
    DescriptionParser parser;
    Check check;
    AuthorBlock block; // the open desc block's lines
    std::vector<char> line;
    const char* bytes = nullptr;
    uint32_t count = 0, position = 0, number = 0;
    bool finished = false;
};
// The parser's messages go into parse.check.reports, or, given a `report`,
// there (a host that prints them as they come keeps none).
void StartAuthorParse(AuthorParse& parse, Mobile& mobile, const char* bytes, uint32_t count,
                      ParserReport report = nullptr, void* reportContext = nullptr);

// Parses up to `lines` more lines; once the text is all read, finishes the
// mobile as ParseMobileDescription does and returns true.
bool ContinueAuthorParse(AuthorParse& parse, uint32_t lines);

// Appends the author warnings, ordered by line.
void AddWarnings(Check& check, const Mobile& mobile);
