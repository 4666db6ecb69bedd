#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

namespace splitwick {

// A file by device and inode.
struct FileIdentity {
    dev_t device;
    ino_t inode;
    bool operator==(const FileIdentity&) const = default;
};

// The names the job's outputs will take once they are complete, by their folder's identity and
// their name in it: two outputs of one name would replace each other even where no file of
// that name exists yet.
struct OutputName {
    FileIdentity folder;
    std::string name;
    bool operator==(const OutputName&) const = default;
};

// The files a job holds open, and the names its outputs claim. The file system does not lock
// files against each other here, so the job itself refuses to open one file twice: an output
// that names the source, or two outputs that name one file, would replace the other. The job's
// source and output files hold their entries while they are open; the set must outlive them.
class OpenFiles {
  public:
    bool isOpen(FileIdentity id) const;
    void opened(FileIdentity id);
    void closed(FileIdentity id);

    bool isClaimed(const OutputName& name) const;
    void claim(const OutputName& name);
    void release(const OutputName& name);

  private:
    // A job holds at most a source and 50 outputs: a list is enough.
    std::vector<FileIdentity> open_;
    std::vector<OutputName> claimed_;
};

} // namespace splitwick
