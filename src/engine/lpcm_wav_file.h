#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "lpcm_format.h"
#include "lpcm_samples.h"
#include "output_file.h"
#include "wav_header.h"

namespace splitwick {

// An LPCM stream written as a WAV file. The first packet's header gives the format and the
// file's header; the samples are converted as they come; the header is written again with its
// sizes when the file is closed, or when it goes without being closed (a job that failed), so
// that a file cut short is a valid WAV of the whole frames it got. A file that never got a
// packet stays empty: there is no format to give it.
class LpcmWavFile : public StreamOutput {
  public:
    // Creates the file as every output is created (throws "Cannot create file ..."). The
    // audio index names the stream in messages, as the "found" lines do.
    LpcmWavFile(const std::string& path, int audioIndex);
    // Completes the WAV as far as it can, without throwing.
    ~LpcmWavFile() override;
    LpcmWavFile(const LpcmWavFile&) = delete;
    LpcmWavFile& operator=(const LpcmWavFile&) = delete;

    // Every packet's three LPCM header bytes, before its samples. Throws when the header gives
    // no sample size or another format than the first packet's: one WAV file holds one format,
    // and the file keeps what came before.
    void packetHeader(const LpcmHeader& header);
    // Empties what an earlier run left, before the first packet.
    void truncate() override { file_.truncate(); }
    // The packet's samples, in runs split anywhere, even inside a sample.
    void write(const uint8_t* data, size_t length) override;
    // Writes the last whole frames and the header's sizes, and closes; throws "Stream write
    // error" when anything could not be stored.
    void close() override;

    const std::string& path() const { return file_.path(); }

  private:
    void finish();
    std::string streamName() const;

    OutputFile file_;
    const int audioIndex_;
    std::optional<LpcmFormat> format_;
    std::optional<LpcmSamples> samples_;
    WavFormat wav_{};
    uint64_t dataBytes_ = 0;
    bool finished_ = false;
};

} // namespace splitwick
