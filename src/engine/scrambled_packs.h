#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "job_error.h"
#include "scan_sink.h"

namespace splitwick {

// An encrypted EVO keeps its pack and packet headers clear and marks every encrypted media
// packet in its PES_scrambling_control; navigation packs are never encrypted. Tools that
// decrypt clear the mark, so it tells an EVO whose payloads are noise.

// Whether the 2048-byte pack at the start of these bytes holds a media packet (video, audio,
// subpicture) whose PES_scrambling_control is not '00'. Bytes cut short tell nothing: false.
bool packScrambled(std::span<const uint8_t> pack);

// Calls the sink's packScanned for every pack of a chunk that begins at a pack boundary.
void scanPacks(std::span<const uint8_t> chunk, ScanSink& sink);

// A job that writes from the file stops at its first scrambled pack, before anything of the
// chunk that holds it is written: "\"FILE\" is encrypted (its packs are scrambled): decrypt it
// first". For a pass without a scan (the window's Rebuild).
void refuseScrambled(std::span<const uint8_t> chunk, const std::string& path);

// The same refusal as a scan's first sink: the scan hands every pack of a chunk to its sinks
// before it scans the chunk, so the check costs no second look at the packs.
class ScrambleGuard : public ScanSink {
  public:
    explicit ScrambleGuard(std::string path) : path_(std::move(path)) {}
    void packScanned(bool scrambled) override;

  private:
    std::string path_;
};

// Read EVO's count of the packs it met and of the scrambled ones among them.
class ScrambleTally : public ScanSink {
  public:
    void packScanned(bool scrambled) override {
        ++packs_;
        scrambled_ += scrambled ? 1 : 0;
    }
    int64_t scrambled() const { return scrambled_; }
    // "The EVO is encrypted: 1,234 of 5,678 packs are scrambled. ..."; empty when none is.
    std::string line() const;

  private:
    int64_t packs_ = 0;
    int64_t scrambled_ = 0;
};

} // namespace splitwick
