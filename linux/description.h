// The description the program shows: the built-in mobile, or an author's
// file, read again whenever it changes when watched.
#pragma once

#include <stdint.h>
#include <sys/stat.h>

#include "mobile/mobile.h"

// What a file looked like when last read: a change in any of these is a
// change of the file.
struct FileSignature {
    bool exists;
    dev_t device;
    ino_t inode;
    off_t size;
    struct timespec modified;
    struct timespec changed;
};

struct DescriptionSource {
    const char* program;  // names the lines it writes
    const char* path;     // null for the built-in mobile
    FileSignature shown;  // the file as it was when last read through
    char lastFailure[64]; // the reason last printed, so that a failure is told once
};

// Parses the built-in mobile, or the file, into `mobile` (whose tables must
// be empty), printing the file's parser messages on standard error. Returns
// false, after one line on standard error, when the file cannot be read.
bool LoadDescription(DescriptionSource& source, Mobile& mobile);

// For --watch: when the file has changed since it was last read, reads it
// again. A reading that defines item 1 replaces `mobile` (the motion's clock
// starts again); any other leaves it as it was, and so the picture stays.
// A file that changes while it is read is taken at a later call. Returns
// true when `mobile` was replaced.
bool ReloadChangedDescription(DescriptionSource& source, Mobile& mobile);
