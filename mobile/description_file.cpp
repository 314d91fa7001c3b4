#include "mobile/description_file.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

// Flags the Windows runtime lacks: there no pipe or terminal stands in a
// file's place to block the open, and handles are not inherited by default.
#ifndef O_NONBLOCK
#define O_NONBLOCK 0
#endif
#ifndef O_NOCTTY
#define O_NOCTTY 0
#endif
#ifndef O_CLOEXEC
#define O_CLOEXEC 0
#endif
#ifndef O_BINARY
#define O_BINARY 0
#endif

const char* ReadDescriptionFile(const char* path, uint32_t limit, std::vector<char>& bytes) {
    // Opened without blocking and judged by what was opened, not by the name:
    // a pipe put in the file's place after a look at the name would block an
    // ordinary open until a writer came, for ever if none does.
    int descriptor = open(path, O_RDONLY | O_BINARY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0)
        return strerror(errno);
    struct stat status;
    if (fstat(descriptor, &status) != 0) {
        const char* why = strerror(errno);
        close(descriptor);
        return why;
    }
    if (!S_ISREG(status.st_mode)) {
        close(descriptor);
        return "not a regular file";
    }
    if ((uint64_t)status.st_size > limit) {
        close(descriptor);
        return "too large";
    }
    FILE* file = fdopen(descriptor, "rb");
    if (!file) {
        close(descriptor);
        return strerror(errno);
    }
    // The size is read as it is now; a file that grows meanwhile is cut at
    // the limit rather than followed for ever.
    std::vector<char> read;
    char chunk[65536];
    size_t n;
    bool tooLarge = false;
    while ((n = fread(chunk, 1, sizeof chunk, file)) > 0) {
        if (read.size() + n > limit) {
            tooLarge = true;
            break;
        }
        read.insert(read.end(), chunk, chunk + n);
    }
    bool failed = ferror(file);
    int readErrno = errno;
    fclose(file);
    if (tooLarge)
        return "too large";
    if (failed)
        return strerror(readErrno);
    bytes.swap(read);
    return nullptr;
}

void CollectReport(const char* message, uint32_t line, void* reports) {
    ((std::vector<Report>*)reports)->push_back(Report{line, false, message});
}

void PrintReport(FILE* out, const char* path, const Report& report) {
    if (report.line == 0)
        fprintf(out, "%s: %s%s\n", path, report.warning ? "warning: " : "", report.text.c_str());
    else
        fprintf(out, "%s:%u: %s%s\n", path, (unsigned)report.line,
                report.warning ? "warning: " : "", report.text.c_str());
}
