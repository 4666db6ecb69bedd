#include "lpcm_wav_file.h"

#include <algorithm>
#include <stdexcept>

#include "job_error.h"

namespace splitwick {

namespace {

// Runs are converted in slices of this many bytes at most, which bounds the conversion
// buffer whatever size a caller hands in.
constexpr size_t SliceBytes = 65536;

const char* const KeepRaw = ". Demux the stream without WAV conversion";

} // namespace

LpcmWavFile::LpcmWavFile(const std::string& path, int audioIndex)
    : file_(path), audioIndex_(audioIndex) {}

LpcmWavFile::~LpcmWavFile() {
    if (finished_) return;
    try {
        finish();
    } catch (...) {
        // The job is failing already; its own error is the one to report.
    }
}

std::string LpcmWavFile::streamName() const {
    return "LPCM audio stream " + std::to_string(audioIndex_);
}

void LpcmWavFile::packetHeader(const LpcmHeader& header) {
    const std::optional<LpcmFormat> format = lpcmFormat(header);
    if (!format)
        throw JobError(streamName() + " gives a sample size that LPCM does not code" + KeepRaw);
    if (format_ && *format != *format_)
        throw JobError(streamName() + " changes from " + describe(*format_) + " to " +
                       describe(*format) + " after " +
                       std::to_string(dataBytes_ / uint64_t(wav_.channels * wav_.sampleBytes)) +
                       " sample frames; a WAV file holds one format" + KeepRaw);
    if (format_) return;
    format_ = format;
    samples_.emplace(*format);
    wav_ = {format->channels, format->sampleRate, samples_->wavSampleBytes(),
            format->bitsPerSample};
    const std::vector<uint8_t> placeholder = wavHeader(wav_, 0);
    file_.write(placeholder.data(), placeholder.size());
}

void LpcmWavFile::write(const uint8_t* data, size_t length) {
    if (!samples_) throw std::logic_error("LPCM samples before their packet header");
    while (length > 0) {
        const size_t slice = std::min(length, SliceBytes);
        const std::span<const uint8_t> converted = samples_->convert(data, slice);
        file_.write(converted.data(), converted.size());
        dataBytes_ += converted.size();
        data += slice;
        length -= slice;
    }
}

void LpcmWavFile::close() {
    finish();
    file_.close();
}

void LpcmWavFile::finish() {
    finished_ = true;
    if (!samples_) return;
    const std::span<const uint8_t> last = samples_->finish();
    file_.write(last.data(), last.size());
    dataBytes_ += last.size();
    // A chunk of odd size is followed by a pad byte.
    const uint8_t pad = 0;
    if (dataBytes_ % 2 != 0) file_.write(&pad, 1);
    const std::vector<uint8_t> header = wavHeader(wav_, dataBytes_);
    file_.writeAt(0, header.data(), header.size());
}

} // namespace splitwick
