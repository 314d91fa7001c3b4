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

#include "mobile/description_file.h"
#include "mobile/parser.h"
#include "mobile/platform.h"
#include "scene/dynamics.h"
#include "tools/mobilecheck/check.h"

static int Usage() {
    fprintf(stderr, "usage: mobilecheck [--dump [--at MS] | --stats] FILE\n");
    return 2;
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
        else if ((argv[i][0] == '-' && argv[i][1] != 0) || path)
            return Usage(); // an unknown option, or a second file
        else
            path = argv[i];
    }
    if (!path || (dump && stats))
        return Usage();

    std::vector<char> bytes;
    if (const char* why = ReadDescriptionFile(path, kDescriptionLimit, bytes)) {
        fprintf(stderr, "mobilecheck: cannot read %s: %s\n", OneLine(path).c_str(), why);
        return 2;
    }

    // The clock starts at a fixed tick so that --at means "MS after the
    // parse", the moment the saver's motion starts.
    const uint32_t startTick = 1000;
    Mobile mobile = {};
    Check check;
    SetTestClock(startTick);
    ParseWithSideTables(check, mobile, bytes.data(), (uint32_t)bytes.size());
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
    return status;
}
