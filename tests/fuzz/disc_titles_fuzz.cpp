// A hostile disc folder read for its titles, and each title chosen as demux and mkv choose it.
// Whatever the folder holds (playlists of any text, clips named with ../ or absolute paths,
// EVOs present or missing, symlinks that loop or lead out, folders and FIFOs where files should
// be), the reading ends; every path it gives lies inside the disc's folder as the playlist names
// it; a choice either takes clips that are there or fails naming a file.
//
// Input: entries, each a kind byte, a length byte and that many bytes of path, then a 16-bit
// length (big-endian) and that many bytes of content.
//   kind % 4   0 a file, 1 a folder, 2 a symlink to the content, 3 a FIFO
// A path's empty, "." and ".." parts are dropped: the folder is made inside the disc. The last
// entry's kind picks what is read: the disc's folder, its ADV_OBJ or HVDVD_TS folder, or its
// first playlist.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "engine/job_error.h"
#include "fuzz_check.h"
#include "jobs/disc_title_input.h"
#include "support/recording_events.h"
#include "support/test_files.h"

namespace fs = std::filesystem;
using namespace splitwick;
using splitwick::fuzz::require;

namespace {

class Input {
  public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    // As many bytes as the next `lengthBytes` bytes say.
    std::string text(int lengthBytes) {
        size_t length = 0;
        for (int i = 0; i < lengthBytes; ++i)
            length = length << 8 | byte();
        length = std::min(length, size_ - at_);
        const std::string taken(reinterpret_cast<const char*>(data_ + at_), length);
        at_ += length;
        return taken;
    }
    bool empty() const { return at_ >= size_; }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// The path inside the disc: its parts that lead nowhere or out dropped.
fs::path inside(const fs::path& disc, const std::string& path) {
    fs::path made = disc;
    for (const fs::path& part : fs::path(path).relative_path())
        if (part != "." && part != ".." && !part.empty()) made /= part;
    return made;
}

// Whether an entry can be made at the path without writing through a symlink or into a FIFO:
// each folder on the way a real folder or not yet there, the path itself free.
bool freeToMake(const fs::path& disc, const fs::path& path) {
    std::error_code ec;
    fs::path at = disc;
    for (const fs::path& part : path.lexically_relative(disc)) {
        at /= part;
        const fs::file_status status = fs::symlink_status(at, ec);
        if (!fs::exists(status)) return true;
        if (at == path || !fs::is_directory(status)) return false;
    }
    return false;
}

void make(const fs::path& disc, const fs::path& path, uint8_t kind, const std::string& content) {
    if (path == disc || !freeToMake(disc, path)) return;
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    switch (kind % 4) {
    case 0:
        std::ofstream(path, std::ios::binary) << content;
        break; // a name too long: none
    case 1:
        fs::create_directories(path, ec);
        break;
    case 2:
        fs::create_symlink(content, path, ec);
        break;
    case 3:
        ::mkfifo(path.c_str(), 0600);
        break;
    }
}

// What is read: the disc by one of the four ways a user names it.
std::string readPath(const fs::path& disc, uint8_t way) {
    switch (way % 4) {
    case 0:
        return disc.string();
    case 1:
        return (disc / "ADV_OBJ").string();
    case 2:
        return (disc / "HVDVD_TS/").string();
    default:
        return (disc / "ADV_OBJ" / "VPLST000.XPL").string();
    }
}

bool insideFolder(const std::string& path, const fs::path& disc) {
    const fs::path normal = fs::path(path).lexically_normal();
    const fs::path relative = normal.lexically_relative(disc);
    return !relative.empty() && *relative.begin() != ".." && normal.is_absolute();
}

bool namesAFile(const std::string& message) {
    return message.find("\"/") != std::string::npos;
}

void chooseEachTitle(const Disc& disc, const fs::path& folder) {
    for (const DiscTitle& title : disc.titles) {
        require(insideFolder(title.playlistPath, folder), "a playlist outside the disc");
        for (const DiscClip& clip : title.clips)
            require(insideFolder(clip.path, folder), "a clip outside the disc: " + clip.path);
        require(!titleSummary(title).empty(), "a summary");
        for (const bool leaveOutMissing : {false, true}) {
            JobRequest request;
            testing::RecordingEvents events;
            try {
                chooseDiscTitle(request, title, leaveOutMissing, events);
            } catch (const JobError& error) {
                require(namesAFile(error.what()),
                        std::string("a title's choice fails naming no file: ") + error.what());
                continue;
            }
            require(fs::is_regular_file(request.evoPath), "a chosen clip that is there");
            require(request.discTitle && !request.discTitle->clips.empty(), "the clips chosen");
            for (const auto& clip : request.discTitle->clips)
                require(fs::is_regular_file(clip.path), "a chosen clip that is there");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const testing::TempFolder root;
    const fs::path disc = fs::path(root.path()) / "disc";
    fs::remove_all(disc);
    fs::create_directories(disc);
    Input in(data, size);
    uint8_t kind = 0;
    while (!in.empty()) {
        kind = in.byte();
        const std::string path = in.text(1);
        const std::string content = in.text(2);
        make(disc, inside(disc, path), kind, content);
    }
    Disc read;
    try {
        read = readDisc(readPath(disc, kind >> 2));
    } catch (const JobError& error) {
        require(namesAFile(error.what()),
                std::string("a disc refused naming no file: ") + error.what());
        return 0;
    }
    require(read.folder == disc.string() + "/", "the disc's folder");
    chooseEachTitle(read, disc);
    return 0;
}
