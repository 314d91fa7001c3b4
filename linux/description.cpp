#include "linux/description.h"

#include <stdio.h>
#include <string.h>

#include <vector>

#include "mobile/author_check.h"
#include "mobile/builtin.h"
#include "mobile/description_file.h"
#include "mobile/parser.h"
#include "linux/stop_signals.h"

static FileSignature SignatureOf(const char* path) {
    FileSignature signature = {};
    struct stat status;
    if (stat(path, &status) != 0)
        return signature;
    signature.exists = true;
    signature.device = status.st_dev;
    signature.inode = status.st_ino;
    signature.size = status.st_size;
    signature.modified = status.st_mtim;
    signature.changed = status.st_ctim;
    return signature;
}

static bool SameSignature(const FileSignature& a, const FileSignature& b) {
    return a.exists == b.exists && a.device == b.device && a.inode == b.inode && a.size == b.size &&
           a.modified.tv_sec == b.modified.tv_sec && a.modified.tv_nsec == b.modified.tv_nsec &&
           a.changed.tv_sec == b.changed.tv_sec && a.changed.tv_nsec == b.changed.tv_nsec;
}

// Parses `bytes` into `mobile`, printing what the parser says about them as
// it says it, then the author warnings (undefined, unreachable and cycling
// items, missing shapes, ...), as the checker does: the first of them all,
// since a file at the limit can hold millions of bad lines. Line by line, so
// that a stop signal ends the parse between two lines: `mobile` is then
// emptied and false returned.
static bool ParseReporting(const char* path, const std::vector<char>& bytes, Mobile& mobile) {
    ReportPrinter printer = {stderr, path, 0};
    AuthorParse parse;
    StartAuthorParse(parse, mobile, bytes.data(), (uint32_t)bytes.size(), PrintCappedReport,
                     &printer);
    while (!stopRequested && !ContinueAuthorParse(parse, 1)) {
    }
    if (stopRequested) {
        TableFree(parse.parser.recording);
        FreeMobile(mobile);
        return false;
    }
    AddWarnings(parse.check, mobile);
    for (const Report& warning : parse.check.reports)
        if (printer.count++ < kPrintedReports)
            PrintReport(stderr, path, warning);
    FinishReports(printer);
    fflush(stderr);
    return true;
}

// Reads the file; on failure tells why, once for as long as the reason stays.
static bool ReadSource(DescriptionSource& source, std::vector<char>& bytes) {
    const char* why = ReadDescriptionFile(source.path, kDescriptionLimit, bytes);
    if (!why) {
        source.lastFailure[0] = 0;
        return true;
    }
    if (strcmp(why, source.lastFailure) != 0) {
        fprintf(stderr, "%s: cannot read %s: %s\n", source.program, OneLine(source.path).c_str(),
                why);
        fflush(stderr);
        snprintf(source.lastFailure, sizeof source.lastFailure, "%s", why);
    }
    return false;
}

bool LoadDescription(DescriptionSource& source, Mobile& mobile) {
    if (!source.path) {
        ParseMobileDescription(mobile, builtinMobileText, builtinMobileSize);
        return true;
    }
    std::vector<char> bytes;
    source.shown = SignatureOf(source.path);
    if (!ReadSource(source, bytes))
        return false;
    ParseReporting(source.path, bytes, mobile); // stopped, it ends before a frame
    return true;
}

bool ReloadChangedDescription(DescriptionSource& source, Mobile& mobile) {
    FileSignature before = SignatureOf(source.path);
    if (SameSignature(before, source.shown))
        return false;
    std::vector<char> bytes;
    bool read = ReadSource(source, bytes);
    // A writer still at work: its file is read once it holds still.
    if (!SameSignature(before, SignatureOf(source.path)))
        return false;
    source.shown = before;
    if (!read)
        return false;
    Mobile fresh = {};
    if (!ParseReporting(source.path, bytes, fresh))
        return false;
    return ReplaceWithReading(mobile, fresh);
}
