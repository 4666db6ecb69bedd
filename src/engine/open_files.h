#pragma once
#include <sys/types.h>

#include <string>

namespace splitwick {

// The files this process holds open for a job, by device and inode. The file system does not
// lock files against each other here, so the job itself refuses to open one file twice: an
// output that names the source, or two outputs that name one file, would replace the other.
struct FileIdentity {
    dev_t device;
    ino_t inode;
    bool operator==(const FileIdentity&) const = default;
};

bool isOpenInJob(FileIdentity id);
void registerOpen(FileIdentity id);
void unregisterOpen(FileIdentity id);

// The names the job's outputs will take once they are complete, by their folder's identity and
// their name in it: two outputs of one name would replace each other even where no file of
// that name exists yet.
struct OutputName {
    FileIdentity folder;
    std::string name;
    bool operator==(const OutputName&) const = default;
};

bool isClaimedInJob(const OutputName& name);
void claimName(const OutputName& name);
void releaseName(const OutputName& name);

} // namespace splitwick
