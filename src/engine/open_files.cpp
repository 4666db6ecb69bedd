#include "open_files.h"

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
