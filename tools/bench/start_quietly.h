// Starts a program for a bench tool that watches for its first frame.
#pragma once

#include <fcntl.h>
#include <unistd.h>

// Runs argv[0] with `argv`, its standard streams on /dev/null, not on ours:
// whoever reads ours would wait for the program too. The child's pid, or -1.
inline pid_t StartQuietly(char** argv) {
    pid_t child = fork();
    if (child == 0) {
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        execvp(argv[0], argv);
        _exit(127);
    }
    return child;
}
