#include "settings_file.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace splitwick {

namespace {

const char* const SettingsLocation = "Corvellan/Splitwick.conf";

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') return home;
    const passwd* user = getpwuid(getuid());
    return user != nullptr ? user->pw_dir : "";
}

// Closes a file descriptor when it goes.
struct Descriptor {
    explicit Descriptor(int d) : fd(d) {}
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    // Closes now, reporting whether the data went out without error.
    bool close() { return ::close(std::exchange(fd, -1)) == 0; }
    int fd;
};

bool readAll(int fd, std::string& into) {
    char chunk[4096];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0) return false;
        if (n == 0) return true;
        into.append(chunk, size_t(n));
    }
}

bool writeAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n <= 0) return false;
        done += size_t(n);
    }
    return true;
}

bool writeNewFile(int fd, const std::string& data) {
    Descriptor file(fd);
    return writeAll(file.fd, data) && ::fsync(file.fd) == 0 && file.close();
}

// The rename itself is made durable by syncing the folder that holds the name.
void syncFolder(const std::string& folder) {
    Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.fd >= 0) ::fsync(dir.fd);
}

} // namespace

std::string settingsPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string base =
        config != nullptr && config[0] == '/' ? std::string(config) : homeFolder() + "/.config";
    return base + "/" + SettingsLocation;
}

LoadedSettings loadSettingsFile(const std::string& path) {
    // Without O_NONBLOCK, opening a FIFO waits for a writer: the window would never start.
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.fd < 0)
        return {errno == ENOENT ? LoadedSettings::Status::Missing
                                : LoadedSettings::Status::Unreadable,
                {}};
    struct stat info {};
    std::string text;
    if (::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode) || !readAll(file.fd, text))
        return {LoadedSettings::Status::Unreadable, {}};
    return {LoadedSettings::Status::Loaded, SettingsStore::parse(text)};
}

bool createSettingsFolder(const std::string& path) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return !error && std::filesystem::is_directory(folder, error);
}

bool saveSettingsFile(const std::string& path, const SettingsStore& store) {
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return false;
    if (!writeNewFile(fd, store.text()) || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    syncFolder(std::filesystem::path(path).parent_path().string());
    return true;
}

} // namespace splitwick
