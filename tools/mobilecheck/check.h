// The checker's knowledge beyond the saver's: which line made which item,
// block and command, and the warnings drawn from it.
#pragma once

#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "mobile/mobile.h"
#include "mobile/description_file.h"

struct Check {
    std::vector<Report> reports;     // the saver's messages in order, then warnings
    std::vector<uint32_t> itemLine;  // per item number: the line that stored it
    std::vector<uint32_t> blockLine; // per desc number: the desc line of its stored block
    std::vector<std::vector<uint32_t>> commandLines; // per desc number: line of each command
    uint32_t perspectiveLine = 0;                    // the last perspective line
};

// Parses like ParseMobileDescription, line by line with the very same code,
// noting where each item, block and command came from.
void ParseWithSideTables(Check& check, Mobile& mobile, const char* bytes, uint32_t count);

// Appends the author warnings, ordered by line.
void AddWarnings(Check& check, const Mobile& mobile);

void PrintJson(FILE* out, const Mobile& mobile);
void PrintStats(FILE* out, const Check& check, const Mobile& mobile);
