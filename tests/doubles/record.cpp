#include "record.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

HMODULE self;

// The file name this copy was loaded under (PASSWORD.CPL, sage.dll, ...), so
// one build can stand in under several names and the record tells them apart.
const char* OwnFileName(char* path, DWORD size) {
    DWORD length = GetModuleFileNameA(self, path, size);
    path[length < size ? length : size - 1] = 0;
    const char* slash = strrchr(path, '\\');
    return slash ? slash + 1 : path;
}

void RecordPath(char* path, DWORD size) {
    DWORD length = GetEnvironmentVariableA("HM_DOUBLES_LOG", path, size);
    if (length > 0 && length < size)
        return;
    length = GetModuleFileNameA(self, path, size);
    path[length < size ? length : size - 1] = 0;
    char* slash = strrchr(path, '\\');
    char* name = slash ? slash + 1 : path;
    snprintf(name, size - (DWORD)(name - path), "doubles.log");
}

} // namespace

void Record(const char* format, ...) {
    char path[MAX_PATH];
    RecordPath(path, sizeof path);
    // Opened for each line so the record is complete even if the process is
    // killed; lines are short enough to land whole between processes.
    FILE* file = fopen(path, "ab");
    if (!file)
        return;
    va_list args;
    va_start(args, format);
    vfprintf(file, format, args);
    va_end(args);
    fputs("\r\n", file);
    fclose(file);
}

long AnswerFromEnvironment(const char* name, long fallback) {
    char text[32];
    DWORD length = GetEnvironmentVariableA(name, text, sizeof text);
    if (length == 0 || length >= sizeof text)
        return fallback;
    return strtol(text, nullptr, 0);
}

unsigned long long HandleNumber(HWND window) {
    return (unsigned long long)(ULONG_PTR)window;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    char path[MAX_PATH];
    if (reason == DLL_PROCESS_ATTACH) {
        self = instance;
        DisableThreadLibraryCalls(instance);
        Record("%s attach", OwnFileName(path, sizeof path));
    } else if (reason == DLL_PROCESS_DETACH) {
        Record("%s detach", OwnFileName(path, sizeof path));
    }
    return TRUE;
}
