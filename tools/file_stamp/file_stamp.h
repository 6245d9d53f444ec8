// Telling one version of a file from another, for the tools that reload a
// file when it is saved.
#pragma once

#include <sys/stat.h>
#include <ctime>

// What identifies one version of a file.
struct FileStamp {
    bool exists;
    dev_t device;
    ino_t inode;
    off_t size;
    timespec modified, changed;
};

// The file's stamp now; exists is false when it cannot be looked at.
FileStamp file_stamp(const char *path);
// Whether two stamps are of the same version (or both of no file).
bool same_stamp(const FileStamp &a, const FileStamp &b);
