#pragma once
#include <sys/types.h>

namespace splitwick {

// The files this process holds open for a job, by device and inode. The file system does not
// lock files against each other here, so the job itself refuses to open one file twice: an
// output that names the source, or two outputs that name one file, would truncate the other.
struct FileIdentity {
    dev_t device;
    ino_t inode;
    bool operator==(const FileIdentity&) const = default;
};

bool isOpenInJob(FileIdentity id);
void registerOpen(FileIdentity id);
void unregisterOpen(FileIdentity id);

} // namespace splitwick
