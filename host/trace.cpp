#include "host/trace.h"

#include <stdio.h>
#include <string.h>
#include <windows.h>

#include "mobile/platform.h"

#ifndef HM_TRACE_DESTINATION
#define HM_TRACE_DESTINATION ""
#endif

const char traceDestination[] = HM_TRACE_DESTINATION;

void Trace(const char* text) {
    if (traceDestination[0] == 0)
        return;
    if (strcmp(traceDestination, "OutputDebugString") == 0) {
        // One call per line, so that a debugger shows it whole.
        DebugOutputLine(text);
        return;
    }
    // Opened and closed for every line, so the file is complete whenever the
    // program stops. A file that cannot be opened loses the line.
    FILE* file = fopen(traceDestination, "a+t");
    if (!file)
        return;
    fprintf(file, "%s\n", text);
    fclose(file);
}

char* LastErrorText(char* text, unsigned size) {
    if (size == 0)
        return text;
    text[0] = 0;
    char* buffer = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM,
                                  nullptr, GetLastError(), 0x400, (LPSTR)&buffer, 0, nullptr);
    if (length && buffer)
        lstrcpynA(text, buffer, (int)size);
    if (buffer)
        LocalFree(buffer);
    return text;
}
