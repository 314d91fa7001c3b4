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

// One report as FILE:LINE: TEXT (FILE: TEXT for the end of the text), the
// file's name with its control characters escaped.
void PrintReport(FILE* out, const char* path, const Report& report);

// A host prints this many of a reading's messages and counts the rest: a
// binary file has one on nearly every line, millions of them at the limit,
// and nobody reads past the first screens. The checker prints them all.
const uint32_t kPrintedReports = 1000;

// Prints the parser's messages as they come, as PrintReport does, up to
// kPrintedReports of them; nothing is kept, however many there are.
struct ReportPrinter {
    FILE* out;
    const char* path;
    uint32_t count; // messages so far, printed or not
};

// A ParserReport whose context is a ReportPrinter.
void PrintCappedReport(const char* message, uint32_t line, void* printer);

// After the parse: FILE: (N more messages), when some were not printed.
void FinishReports(const ReportPrinter& printer);

// `text` with every control character written as an escape (\n, \t,
// \x1b, ...), so that a line naming it stays one line whatever it holds.
std::string OneLine(const char* text);
