// mobilecheck: the author's checker for mobile descriptions.
//
//   mobilecheck FILE                  the saver's own messages, then warnings
//   mobilecheck --dump [--at MS] FILE the parsed mobile as JSON
//   mobilecheck --stats FILE          counts, extents, periods and amplitudes
//
// Exit status: 0 with no message and no warning, 1 otherwise, 2 when FILE
// cannot be read.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "mobile/parser.h"
#include "mobile/platform.h"
#include "scene/dynamics.h"
#include "tools/common/debug_capture.h"
#include "tools/mobilecheck/check.h"

static int Usage() {
    fprintf(stderr, "usage: mobilecheck [--dump [--at MS] | --stats] FILE\n");
    return 2;
}

// The whole file, or null when it cannot be read.
static char* ReadFile(const char* path, uint32_t* size) {
    FILE* file = fopen(path, "rb");
    if (!file)
        return nullptr;
    size_t capacity = 1 << 16, count = 0;
    char* bytes = (char*)malloc(capacity);
    while (bytes) {
        count += fread(bytes + count, 1, capacity - count, file);
        if (count < capacity)
            break;
        capacity *= 2;
        char* grown = (char*)realloc(bytes, capacity);
        if (!grown)
            free(bytes);
        bytes = grown;
    }
    bool failed = ferror(file) || count > UINT32_MAX;
    fclose(file);
    if (failed) {
        free(bytes);
        return nullptr;
    }
    *size = (uint32_t)count;
    return bytes;
}

static void CollectMessage(const char* text, void* context) {
    Check& check = *(Check*)context;
    Report report;
    report.line = reportLine;
    report.warning = false;
    report.text = text;
    // The saver's line end is not part of what the author reads.
    size_t length = report.text.size();
    if (length >= 2 && report.text.compare(length - 2, 2, "\r\n") == 0)
        report.text.resize(length - 2);
    check.reports.push_back(report);
}

static void PrintReport(FILE* out, const char* path, const Report& report) {
    if (report.line == 0)
        fprintf(out, "%s: %s%s\n", path, report.warning ? "warning: " : "", report.text.c_str());
    else
        fprintf(out, "%s:%u: %s%s\n", path, (unsigned)report.line,
                report.warning ? "warning: " : "", report.text.c_str());
}

int main(int argc, char** argv) {
    bool dump = false, stats = false;
    uint32_t at = 0;
    const char* path = nullptr;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--dump") == 0)
            dump = true;
        else if (strcmp(argv[i], "--stats") == 0)
            stats = true;
        else if (strcmp(argv[i], "--at") == 0 && i + 1 < argc)
            at = (uint32_t)strtoul(argv[++i], nullptr, 10);
        else if (argv[i][0] == '-' && argv[i][1] != 0)
            return Usage();
        else if (!path)
            path = argv[i];
        else
            return Usage();
    }
    if (!path || (dump && stats))
        return Usage();

    uint32_t size = 0;
    char* bytes = ReadFile(path, &size);
    if (!bytes) {
        fprintf(stderr, "mobilecheck: cannot read %s\n", path);
        return 2;
    }

    // The clock starts at a fixed tick so that --at means "MS after the
    // parse", the moment the saver's motion starts.
    const uint32_t startTick = 1000;
    Mobile mobile = {};
    Check check;
    StartDebugCapture(CollectMessage, &check);
    SetTestClock(startTick);
    ParseWithSideTables(check, mobile, bytes, size);
    StopDebugCapture();
    AddWarnings(check, mobile);

    FILE* reportsOut = dump || stats ? stderr : stdout;
    for (const Report& report : check.reports)
        PrintReport(reportsOut, path, report);
    if (dump) {
        SetTestClock(startTick + at);
        UpdateAngles(mobile);
        PrintJson(stdout, mobile);
    } else if (stats) {
        PrintStats(stdout, check, mobile);
    }
    ClearTestClock();
    int status = check.reports.empty() ? 0 : 1;
    FreeMobile(mobile);
    free(bytes);
    return status;
}
