// Reading an author's description file and telling the author what the
// parser said, as FILE:LINE: TEXT: the same in every program that reads one
// (the X11 host and the checker).
#pragma once

#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

// Larger files are refused rather than parsed for seconds on end: the
// built-in mobile is 54 KB, and a mobile a thousand times its size fits.
const uint32_t kDescriptionLimit = 64u << 20;

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

// A parser report that appends each message, with its line, to the
// std::vector<Report> at `reports`.
void CollectReport(const char* message, uint32_t line, void* reports);

// One report as FILE:LINE: TEXT (FILE: TEXT for the end of the text).
void PrintReport(FILE* out, const char* path, const Report& report);
