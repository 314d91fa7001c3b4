// Runs a test program while sending a mouse move of no length through the
// system's input queue every 20 ms, and returns the program's exit code.
//
//   pointer_noise PROGRAM [ARGS...]
//
// Each such move rewrites Wine's copy of the cursor position with a fresh
// time stamp, so for as long as the noise lasts a program reads that copy,
// never the X pointer. A robot that moved the X pointer without bringing the
// copy along then hands the saver a stale starting point every time, not
// only when the saver happens to start within 100 ms of the robot's move.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <string>

static volatile LONG programEnded = 0;

static DWORD WINAPI SendNoise(LPVOID) {
    while (!programEnded) {
        INPUT input = {};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = MOUSEEVENTF_MOVE;
        SendInput(1, &input, sizeof(INPUT));
        Sleep(20);
    }
    return 0;
}

// The rest of our own command line after the program's name, as typed.
static const char* ArgumentsAfterOwnName(const char* line) {
    if (*line == '"') {
        line = strchr(line + 1, '"');
        line = line ? line + 1 : "";
    } else {
        while (*line && *line != ' ' && *line != '\t')
            line++;
    }
    while (*line == ' ' || *line == '\t')
        line++;
    return line;
}

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: pointer_noise PROGRAM [ARGS...]\n");
        return 2;
    }
    std::string commandLine = ArgumentsAfterOwnName(GetCommandLineA());
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &child)) {
        fprintf(stderr, "pointer_noise: cannot start %s (error %lu)\n", argv[1],
                (unsigned long)GetLastError());
        return 2;
    }
    CloseHandle(child.hThread);
    HANDLE noise = CreateThread(nullptr, 0, SendNoise, nullptr, 0, nullptr);
    WaitForSingleObject(child.hProcess, INFINITE);
    InterlockedExchange(&programEnded, 1);
    if (noise) {
        WaitForSingleObject(noise, INFINITE);
        CloseHandle(noise);
    }
    DWORD code = 1;
    GetExitCodeProcess(child.hProcess, &code);
    CloseHandle(child.hProcess);
    fflush(stdout);
    return (int)code;
}
