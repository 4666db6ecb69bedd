#include "open_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <vector>

namespace splitwick {

namespace {
// Jobs run on one thread; a job holds at most a source and 50 outputs.
std::vector<FileIdentity>& openFiles() {
    static std::vector<FileIdentity> files;
    return files;
}
} // namespace

FileIdentity identityOf(int fd) {
    struct stat st {};
    ::fstat(fd, &st);
    return {st.st_dev, st.st_ino};
}

bool isOpenInJob(FileIdentity id) {
    const auto& files = openFiles();
    return std::find(files.begin(), files.end(), id) != files.end();
}

void registerOpen(FileIdentity id) {
    openFiles().push_back(id);
}

void unregisterOpen(FileIdentity id) {
    auto& files = openFiles();
    const auto it = std::find(files.begin(), files.end(), id);
    if (it != files.end()) files.erase(it);
}

} // namespace splitwick
