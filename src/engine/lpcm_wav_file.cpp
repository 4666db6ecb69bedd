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

LpcmFormatError::LpcmFormatError(const std::string& reason)
    : JobError(JobErrorKind::Input, reason + KeepRaw), reason_(reason) {}

LpcmWavFile::LpcmWavFile(const std::string& path, int audioIndex, OpenFiles& held)
    : file_(path, held), audioIndex_(audioIndex) {}

LpcmFormat checkedLpcmFormat(const LpcmHeader& header, const std::optional<LpcmFormat>& first,
                             uint64_t framesBefore, int audioIndex) {
    const std::string stream = "LPCM audio stream " + std::to_string(audioIndex);
    const std::optional<LpcmFormat> format = lpcmFormat(header);
    if (!format) throw LpcmFormatError(stream + " gives a sample size that LPCM does not code");
    if (first && *format != *first)
        throw LpcmFormatError(stream + " changes from " + describe(*first) + " to " +
                              describe(*format) + " after " + std::to_string(framesBefore) +
                              " sample frames; a WAV file holds one format");
    return *format;
}

void LpcmWavFile::packetHeader(const LpcmHeader& header) {
    const uint64_t frames =
        format_ ? convertedBytes_ / uint64_t(wav_.channels * wav_.sampleBytes) : 0;
    const LpcmFormat format = checkedLpcmFormat(header, format_, frames, audioIndex_);
    if (format_) return;
    format_ = format;
    samples_.emplace(format);
    wav_ = {format.channels, format.sampleRate, samples_->wavSampleBytes(), format.bitsPerSample};
    const std::vector<uint8_t> placeholder = wavHeader(wav_, 0);
    file_.write(placeholder.data(), placeholder.size());
}

void LpcmWavFile::write(const uint8_t* data, size_t length) {
    if (!samples_) throw std::logic_error("LPCM samples before their packet header");
    while (length > 0) {
        const size_t slice = std::min(length, SliceBytes);
        const std::span<const uint8_t> converted = samples_->convert(data, slice);
        file_.write(converted.data(), converted.size());
        convertedBytes_ += converted.size();
        data += slice;
        length -= slice;
    }
}

void LpcmWavFile::store() {
    // The file is closed whatever finishing it met; the first failure is the one reported.
    std::optional<JobError> failure;
    try {
        finish();
    } catch (const JobError& error) {
        failure = error;
    }
    try {
        file_.store();
    } catch (const JobError& error) {
        if (!failure) failure = error;
    }
    if (failure) throw *failure;
}

void LpcmWavFile::finish() {
    if (!samples_) return;
    std::optional<JobError> failure;
    try {
        const std::span<const uint8_t> last = samples_->finish();
        file_.write(last.data(), last.size());
        file_.flush();
    } catch (const JobError& error) {
        failure = error;
    }
    samples_.reset();
    // The header tells of the samples stored, not of those handed in: after a full disk the
    // file holds fewer.
    const std::vector<uint8_t> header = wavHeader(wav_, storedData());
    file_.writeAt(0, header.data(), header.size());
    if (failure) throw *failure;
}

uint64_t LpcmWavFile::storedData() {
    const uint64_t headerBytes = wavHeader(wav_, 0).size();
    const uint64_t frameBytes = uint64_t(wav_.channels * wav_.sampleBytes);
    const uint64_t stored = file_.stored() - std::min(file_.stored(), headerBytes);
    uint64_t data = stored / frameBytes * frameBytes;
    // A chunk of odd size is followed by a pad byte; where there is no room for it, one frame
    // fewer makes the size even.
    if (data % 2 != 0 && stored == data) {
        const uint8_t pad = 0;
        try {
            file_.writeAt(headerBytes + data, &pad, 1);
        } catch (const JobError&) {
            data -= frameBytes;
        }
    }
    return data;
}

} // namespace splitwick
