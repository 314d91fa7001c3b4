#include "host/trace.h"

#include <stdio.h>
#include <string.h>
#include <windows.h>

#ifndef HM_TRACE_DESTINATION
#define HM_TRACE_DESTINATION ""
#endif

const char traceDestination[] = HM_TRACE_DESTINATION;

void Trace(const char* text) {
    if (traceDestination[0] == 0)
        return;
    if (strcmp(traceDestination, "OutputDebugString") == 0) {
        std::string line = std::string(text) + "\r\n";
        OutputDebugStringA(line.c_str());
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

std::string LastErrorText() {
    char* buffer = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM,
                                  nullptr, GetLastError(), 0x400, (LPSTR)&buffer, 0, nullptr);
    std::string text = length && buffer ? std::string(buffer, length) : std::string();
    if (buffer)
        LocalFree(buffer);
    return text;
}
