#include "mobile/report.h"

#include "mobile/platform.h"

void CheckOrReport(bool condition, const char* message) {
    if (!condition)
        DebugOutputLine(message);
}

void ReportToDebugOutput(const char* message, uint32_t, void*) {
    CheckOrReport(false, message);
}
