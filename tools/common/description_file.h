// Reading a description file and telling its author what the parser said,
// as FILE:LINE: TEXT, the same in every native program that reads one.
#pragma once

#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

struct Report {
    uint32_t line; // 1-based; 0 for the end of the text
    bool warning;  // an author warning rather than one of the saver's messages
    std::string text;
};

// Reads the whole of the regular file `path` into `bytes`. Anything else (a
// folder, a pipe or a device, which could block or never end), a file of
// more than `limit` bytes or a read error leaves `bytes` as it was and
// returns a short reason (the system's own, strerror's, where it has one);
// success returns null. It never blocks on what it finds at `path`.
const char* ReadDescriptionFile(const char* path, uint32_t limit, std::vector<char>& bytes);

// A debug sink that appends each parser message to the std::vector<Report>
// at `reports`, with the line being parsed and without the line end.
void CollectParserMessage(const char* text, void* reports);

// One report as FILE:LINE: TEXT (FILE: TEXT for the end of the text).
void PrintReport(FILE* out, const char* path, const Report& report);
