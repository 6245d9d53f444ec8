// File stamps from stat: device, inode, size and both times.
#include "file_stamp.h"

FileStamp file_stamp(const char *path)
{
    FileStamp stamp{};
    struct stat st;
    if (stat(path, &st) != 0)
        return stamp;
    stamp.exists = true;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.size = st.st_size;
    stamp.modified = st.st_mtim;
    stamp.changed = st.st_ctim;
    return stamp;
}

bool same_stamp(const FileStamp &a, const FileStamp &b)
{
    if (a.exists != b.exists)
        return false;
    return !a.exists ||
           (a.device == b.device && a.inode == b.inode && a.size == b.size &&
            a.modified.tv_sec == b.modified.tv_sec && a.modified.tv_nsec == b.modified.tv_nsec &&
            a.changed.tv_sec == b.changed.tv_sec && a.changed.tv_nsec == b.changed.tv_nsec);
}
