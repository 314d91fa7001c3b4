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
    read.reserve((size_t)status.st_size); // once, not doubled on the way there
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

std::string OneLine(const char* text) {
    std::string line;
    for (const char* c = text; *c; c++) {
        unsigned char byte = (unsigned char)*c;
        if (byte == '\n')
            line += "\\n";
        else if (byte == '\t')
            line += "\\t";
        else if (byte == '\r')
            line += "\\r";
        else if (byte < 0x20 || byte == 0x7f) {
            char escape[5];
            snprintf(escape, sizeof escape, "\\x%02x", byte);
            line += escape;
        } else
            line += (char)byte;
    }
    return line;
}

static void PrintLine(FILE* out, const char* path, uint32_t line, bool warning, const char* text) {
    std::string name = OneLine(path);
    if (line == 0)
        fprintf(out, "%s: %s%s\n", name.c_str(), warning ? "warning: " : "", text);
    else
        fprintf(out, "%s:%u: %s%s\n", name.c_str(), (unsigned)line, warning ? "warning: " : "",
                text);
}

void PrintReport(FILE* out, const char* path, const Report& report) {
    PrintLine(out, path, report.line, report.warning, report.text.c_str());
}

void PrintCappedReport(const char* message, uint32_t line, void* context) {
    ReportPrinter& printer = *(ReportPrinter*)context;
    if (printer.count++ < kPrintedReports)
        PrintLine(printer.out, printer.path, line, false, message);
}

void FinishReports(const ReportPrinter& printer) {
    if (printer.count > kPrintedReports)
        fprintf(printer.out, "%s: (%u more messages)\n", OneLine(printer.path).c_str(),
                (unsigned)(printer.count - kPrintedReports));
}
