#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "byte_file.h"
#include "engine/track.h"

namespace splitwick::maker {

// The files a Demux of the made EVO writes when every stream found is ticked, with the captions
// Read EVO gives and the default extensions: FOLDER/PREFIX.MPEG-2.stream.0.mpv,
// FOLDER/PREFIX.DD+.stream.00.mpa, FOLDER/PREFIX.Subpicture.03.sup and .pts. The maker feeds it
// what a scan would meet, in file order.
class ExpectedOutputs {
  public:
    // folder ends in "/" or is empty.
    ExpectedOutputs(std::string folder, std::string prefix);

    // A stream is identified: the first packet of an identifier names its output and creates
    // it.
    void streamMet(TrackKind kind, int id);
    // Payload of the stream of that kind and identifier; dropped when it has no output.
    void payload(TrackKind kind, int id, const uint8_t* data, size_t length);
    // The low 32 bits of a subpicture packet's own PTS, not 0.
    void timestamp(int subpictureId, uint32_t pts);
    // From now on no new outputs: the boxes were ticked by a scan of the first part only.
    void freeze() { frozen_ = true; }
    void close();

    // Every file created, in creation order.
    const std::vector<std::string>& files() const { return files_; }

  private:
    struct Slot {
        std::unique_ptr<ByteFile> stream;
        std::unique_ptr<ByteFile> timestamps;
    };
    std::unique_ptr<ByteFile> create(const std::string& name);

    std::string folder_;
    std::string prefix_;
    bool frozen_ = false;
    std::map<std::pair<TrackKind, int>, Slot> slots_; // by kind and identifier
    std::vector<std::string> files_;
};

} // namespace splitwick::maker
