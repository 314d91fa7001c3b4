#include "host/command_line.h"

#include <stdlib.h>
#include <string.h>

// A handle as the display settings write it: decimal, leading digits only,
// 0 when there are none. strtol rather than atoi so that an absurdly long
// number clamps instead of overflowing.
static HWND ReadHandle(const char* text) {
    return (HWND)(INT_PTR)(int)strtol(text, nullptr, 10);
}

static const char* SkipSpacesAndColons(const char* p) {
    while (*p == ' ' || *p == ':')
        p++;
    return p;
}

static bool EqualsIgnoringCase(const char* text, const char* word) {
    for (; *text && *word; text++, word++) {
        char a = *text >= 'A' && *text <= 'Z' ? (char)(*text + 32) : *text;
        if (a != *word)
            return false;
    }
    return *text == 0 && *word == 0;
}

StartRequest ReadCommandLine(const char* modulePath, const char* commandLine) {
    StartRequest request = {};
    request.mode = ModeNone;
    // Run as an installer when named like one; an installed saver is not.
    bool installerName = strstr(modulePath, ".exe") || strstr(modulePath, ".EXE");

    // Past the program name: a quoted one ends at its closing quote, a plain
    // one at the first space. Only the space separates; a tab does not.
    const char* p = commandLine;
    if (*p == '"') {
        p = strchr(p + 1, '"');
        p = p ? p + 1 : commandLine + strlen(commandLine);
    } else {
        while (*p && *p != ' ')
            p++;
    }
    while (*p == ' ')
        p++;

    if (*p == 0) {
        request.mode = installerName ? ModeInstall : ModeConfig;
        return request;
    }
    if (*p == '-' || *p == '/')
        p++;
    switch (*p) {
    case 'u':
    case 'U':
        request.mode = ModeUninstall;
        break;
    case 'a':
    case 'A':
        request.mode = ModeChangePassword;
        request.window = ReadHandle(SkipSpacesAndColons(p + 1));
        break;
    case 'c':
    case 'C':
        request.mode = ModeConfig;
        p = SkipSpacesAndColons(p + 1);
        if (*p == 0)
            request.parentIsForeground = true;
        else
            request.window = ReadHandle(p);
        break;
    case 'p':
    case 'P':
    case 'l':
    case 'L':
        request.mode = ModePreview;
        p = SkipSpacesAndColons(p + 1);
        if (EqualsIgnoringCase(p, "scrprev"))
            request.launchPreviewTool = true;
        else
            request.window = ReadHandle(p);
        break;
    case 's':
    case 'S':
        request.mode = ModeSaver;
        request.simulateMonitors = p[1] == 'm' || p[1] == 'M';
        break;
    }
    return request;
}
