// The author's warnings beyond the parser's messages (undefined, unreachable
// and cycling items, missing shapes, incomplete groups, numbers that are
// not finite, NUL bytes), with the line each comes from. Every program that
// shows an author what a description says uses them: the checker, the page
// and the X11 host's --watch.
#pragma once

#include <stdint.h>

#include <vector>

#include "mobile/description_file.h"
#include "mobile/mobile.h"

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

// Appends the author warnings, ordered by line.
void AddWarnings(Check& check, const Mobile& mobile);
