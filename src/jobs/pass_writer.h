#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "engine/boxes.h"
#include "engine/output_file.h"
#include "engine/output_set.h"
#include "engine/scan_sink.h"

namespace splitwick {

// A file a Demux's pass writes beside the stream files, or in their place, from the same
// payload runs: the Matroska file of the streams.
class PassWriter : public ScanSink {
  public:
    // A chosen box's stream, as the pass first meets it (streamId -1: the first part lacks it).
    // Gives whether the stream still gets its own file.
    virtual bool chosen(Box box, const std::string& label, int32_t streamId) = 0;
    // Whether the streams it takes (and the chapters) get files of their own as well.
    virtual bool filesToo() const = 0;
    // The pass over one part of the title has ended; the next, if any, goes on from it.
    virtual void partEnded() = 0;
};

// The output of a box whose stream only a PassWriter takes: the job counts it as written, and
// its bytes go nowhere else.
class NoStreamFile : public StreamOutput {
  public:
    void write(const uint8_t*, size_t) override {}
    void store() override {}
    void moveIntoPlace() override {}
};

// A Demux's side of its PassWriter, when it has one; without one, every stream and the chapters
// get their files and the pass feeds nothing more.
class AlsoWrites {
  public:
    explicit AlsoWrites(PassWriter* writer) : writer_(writer) {}

    // Whether a chosen box's stream gets files of its own; when not, its box gets an output
    // that only counts it as written.
    bool ownFiles(OutputSet& outputs, Box box, const std::string& label, int32_t streamId) {
        if (writer_ == nullptr || writer_->chosen(box, label, streamId)) return true;
        outputs.add(box, std::make_unique<NoStreamFile>());
        return false;
    }
    bool chapterFile() const { return writer_ == nullptr || writer_->filesToo(); }
    ScanSink& sink() { return writer_ != nullptr ? *writer_ : none_; }
    void partEnded() {
        if (writer_ != nullptr) writer_->partEnded();
    }

  private:
    PassWriter* writer_;
    ScanSink none_;
};

} // namespace splitwick
