#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "job_error.h"
#include "lpcm_format.h"
#include "lpcm_samples.h"
#include "output_file.h"
#include "wav_header.h"

namespace splitwick {

// A stream a WAV file cannot hold, as the job tells it: the reason, then the advice to demux the
// stream without WAV conversion, which a command that has no such choice replaces.
class LpcmFormatError : public JobError {
  public:
    explicit LpcmFormatError(const std::string& reason);
    const std::string& reason() const { return reason_; }

  private:
    std::string reason_;
};

// The format of an LPCM packet's header, which must be the stream's first one's when there was
// one (`framesBefore` sample frames ago): throws LpcmFormatError, naming the stream by its
// audio index, for a header that gives no sample size or another format.
LpcmFormat checkedLpcmFormat(const LpcmHeader& header, const std::optional<LpcmFormat>& first,
                             uint64_t framesBefore, int audioIndex);

// An LPCM stream written as a WAV file. The first packet's header gives the format and the
// file's header; the samples are converted as they come; the header is written again with its
// sizes when the file is stored, at its place in the file, whatever became of the writes
// before it: a file cut short (a cancel, a full disk) is a valid WAV of the whole frames it
// holds. A file that never got a packet stays empty: there is no format to give it.
class LpcmWavFile : public StreamOutput {
  public:
    // Creates the file as every output is created (throws "Cannot create file ..."). The
    // audio index names the stream in messages, as the "found" lines do.
    LpcmWavFile(const std::string& path, int audioIndex, OpenFiles& held);

    // Every packet's three LPCM header bytes, before its samples. Throws when the header gives
    // no sample size or another format than the first packet's: one WAV file holds one format,
    // and the file keeps what came before.
    void packetHeader(const LpcmHeader& header);
    // The packet's samples, in runs split anywhere, even inside a sample.
    void write(const uint8_t* data, size_t length) override;
    // Writes the last whole frames and the header's sizes, and closes; throws "Stream write
    // error" when anything could not be stored, the header written all the same.
    void store() override;
    void moveIntoPlace() override { file_.moveIntoPlace(); }

    const std::string& path() const { return file_.path(); }
    const std::string& writtenPath() const { return file_.writtenPath(); }

  private:
    void finish();
    // The whole frames of samples the file holds; the pad byte behind them when their size is
    // odd.
    uint64_t storedData();

    OutputFile file_;
    const int audioIndex_;
    std::optional<LpcmFormat> format_;
    std::optional<LpcmSamples> samples_;
    WavFormat wav_{};
    uint64_t convertedBytes_ = 0; // of samples handed in, stored or not
};

} // namespace splitwick
