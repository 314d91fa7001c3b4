#include "mobile/report.h"

#include <stdlib.h>
#include <string.h>

#include "mobile/platform.h"

void CheckOrReport(bool condition, const char* message) {
    if (condition)
        return;
    // The parser's messages are short; a longer text gets a buffer of its own.
    char local[128];
    size_t length = strlen(message);
    char* text = local;
    if (length + 3 > sizeof local) {
        text = (char*)malloc(length + 3);
        if (!text) { // out of memory: the line still ends, in a call of its own
            DebugOutput(message);
            DebugOutput("\r\n");
            return;
        }
    }
    memcpy(text, message, length);
    memcpy(text + length, "\r\n", 3);
    DebugOutput(text);
    if (text != local)
        free(text);
}

void ReportToDebugOutput(const char* message, uint32_t, void*) {
    CheckOrReport(false, message);
}
