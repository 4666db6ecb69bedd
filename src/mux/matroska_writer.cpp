#include "matroska_writer.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "engine/job_error.h"
#include "packet_pool.h"

extern "C" {
#include <libavutil/opt.h>
}

namespace splitwick {

namespace {

constexpr AVRational Ticks{1, 90000};
// The output file's own: each block the muxer hands on goes to the disk without another copy.
constexpr size_t IoBufferSize = OutputFile::BufferSize;

struct CodecId {
    MuxCodec codec;
    AVCodecID id;
};

// LPCM goes in as the WAV samples it is converted to: 16-bit, or 24-bit for 20 and 24 bits.
constexpr std::array<CodecId, 9> CodecIds = {{
    {MuxCodec::Mpeg2, AV_CODEC_ID_MPEG2VIDEO},
    {MuxCodec::H264, AV_CODEC_ID_H264},
    {MuxCodec::Vc1, AV_CODEC_ID_VC1},
    {MuxCodec::Ac3, AV_CODEC_ID_AC3},
    {MuxCodec::Eac3, AV_CODEC_ID_EAC3},
    {MuxCodec::Dts, AV_CODEC_ID_DTS},
    {MuxCodec::TrueHd, AV_CODEC_ID_TRUEHD},
    {MuxCodec::Flac, AV_CODEC_ID_FLAC},
    {MuxCodec::Pgs, AV_CODEC_ID_HDMV_PGS_SUBTITLE},
}};

struct KindFlag {
    const char* kind;
    int disposition;
};

// The playlist's track kinds Matroska has a flag for; the others ("normal", "large",
// "children") have none. "forced" is the plan's to turn into the forced flag, as it decides the
// default ones.
constexpr std::array<KindFlag, 3> KindFlags = {{
    {"commentary", AV_DISPOSITION_COMMENT},
    {"visually-impaired", AV_DISPOSITION_VISUAL_IMPAIRED},
    {"hearing-impaired", AV_DISPOSITION_HEARING_IMPAIRED},
}};

} // namespace

AVCodecID avCodecOf(MuxCodec codec, int bitsPerSample) {
    if (codec == MuxCodec::LpcmWav)
        return bitsPerSample > 16 ? AV_CODEC_ID_PCM_S24LE : AV_CODEC_ID_PCM_S16LE;
    for (const CodecId& entry : CodecIds)
        if (entry.codec == codec) return entry.id;
    return AV_CODEC_ID_NONE;
}

MatroskaWriter::MatroskaWriter(OutputFile& out) : out_(out), writes_(out) {
    if (avformat_alloc_output_context2(&format_, nullptr, "matroska", nullptr) < 0)
        throw std::bad_alloc();
    auto* buffer = static_cast<unsigned char*>(av_malloc(IoBufferSize));
    io_ = buffer == nullptr
              ? nullptr
              : avio_alloc_context(buffer, IoBufferSize, 1, this, nullptr,
                                   &MatroskaWriter::writePacket, &MatroskaWriter::seek);
    if (io_ == nullptr) {
        av_free(buffer);
        avformat_free_context(format_);
        throw std::bad_alloc();
    }
    // Each cluster goes to the file in one write, not copied through the buffer first.
    io_->direct = 1;
    format_->pb = io_;
    format_->flags |= AVFMT_FLAG_CUSTOM_IO;
}

MatroskaWriter::~MatroskaWriter() {
    avformat_free_context(format_);
    if (io_ != nullptr) av_freep(&io_->buffer);
    avio_context_free(&io_);
}

int MatroskaWriter::writePacket(void* opaque, uint8_t* data, int length) {
    auto& self = *static_cast<MatroskaWriter*>(opaque);
    try {
        // The muxer goes back to fill in sizes: those bytes are stored over the ones before.
        const size_t over =
            size_t(std::min<uint64_t>(self.end_ - self.position_, uint64_t(length)));
        if (over > 0) self.writes_.writeAt(self.position_, data, over);
        self.writes_.write(data + over, size_t(length) - over);
        self.position_ += uint64_t(length);
        self.end_ = std::max(self.end_, self.position_);
        return length;
    } catch (...) {
        if (!self.failure_) self.failure_ = std::current_exception();
        return AVERROR(EIO);
    }
}

int64_t MatroskaWriter::seek(void* opaque, int64_t offset, int whence) {
    auto& self = *static_cast<MatroskaWriter*>(opaque);
    int64_t target = offset;
    switch (whence & ~AVSEEK_FORCE) {
    case AVSEEK_SIZE:
        return int64_t(self.end_);
    case SEEK_SET:
        break;
    case SEEK_CUR:
        target += int64_t(self.position_);
        break;
    case SEEK_END:
        target += int64_t(self.end_);
        break;
    default:
        return AVERROR(EINVAL);
    }
    // Writing starts at the end or over bytes written: no holes.
    if (target < 0 || uint64_t(target) > self.end_) return AVERROR(EINVAL);
    self.position_ = uint64_t(target);
    return target;
}

void MatroskaWriter::check(int result) {
    if (result >= 0) return;
    if (failure_) std::rethrow_exception(failure_);
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(result, text, sizeof text);
    throw JobError(JobErrorKind::Write,
                   "Matroska muxer failed on " + fullPath(out_.path()) + ": " + text);
}

void MatroskaWriter::addStream(const MatroskaTrack& track) {
    AVStream* stream = avformat_new_stream(format_, nullptr);
    if (stream == nullptr) throw std::bad_alloc();
    AVCodecParameters& parameters = *stream->codecpar;
    parameters.codec_id = avCodecOf(track.codec, track.bitsPerSample);
    parameters.codec_type = avcodec_get_type(parameters.codec_id);
    const StreamParameters& found = track.stream;
    std::vector<uint8_t> extradata = found.extradata;
    if (parameters.codec_id == AV_CODEC_ID_H264) {
        // Given the record, the muxer takes the frames as they come: they are converted here.
        std::vector<uint8_t> record = AvcUnits::configuration(extradata.data(), extradata.size());
        lengthPrefixed_.push_back(!record.empty());
        if (!record.empty()) extradata = std::move(record);
    } else {
        lengthPrefixed_.push_back(false);
    }
    if (!extradata.empty()) {
        parameters.extradata =
            static_cast<uint8_t*>(av_mallocz(extradata.size() + AV_INPUT_BUFFER_PADDING_SIZE));
        if (parameters.extradata == nullptr) throw std::bad_alloc();
        std::memcpy(parameters.extradata, extradata.data(), extradata.size());
        parameters.extradata_size = int(extradata.size());
    }
    if (parameters.codec_type == AVMEDIA_TYPE_VIDEO) {
        parameters.width = found.width;
        parameters.height = found.height;
        if (track.defaultRate)
            stream->avg_frame_rate = {int(track.defaultRate->numerator),
                                      int(track.defaultRate->denominator)};
    } else if (parameters.codec_type == AVMEDIA_TYPE_AUDIO) {
        parameters.sample_rate = found.sampleRate;
        // The default layout of each count is LPCM's (that of the WAV files' channel masks).
        // FLAC's own layouts, as libavformat reads them, differ for 3 to 6 channels (FC for
        // LFE, BL BR for BC, side pairs for back ones): there the muxer stores LPCM's as the
        // FLAC header's WAVEFORMATEXTENSIBLE_CHANNEL_MASK.
        av_channel_layout_default(&parameters.ch_layout, found.channels);
        parameters.bits_per_coded_sample = track.bitsPerSample;
    }
    stream->time_base = Ticks;
    av_dict_set(&stream->metadata, "language", track.label.language.c_str(), 0);
    if (!track.label.name.empty())
        av_dict_set(&stream->metadata, "title", track.label.name.c_str(), 0);
    stream->disposition =
        (track.isDefault ? AV_DISPOSITION_DEFAULT : 0) | (track.forced ? AV_DISPOSITION_FORCED : 0);
    for (const KindFlag& flag : KindFlags)
        if (track.label.kind == flag.kind) stream->disposition |= flag.disposition;
}

void MatroskaWriter::start(const std::vector<MatroskaTrack>& tracks, const std::string& title,
                           bool clusterCrc) {
    for (const MatroskaTrack& track : tracks)
        addStream(track);
    if (!title.empty()) av_dict_set(&format_->metadata, "title", title.c_str(), 0);
    // The blocks are timed from the picture's start, which is 0: nothing is shifted.
    format_->avoid_negative_ts = AVFMT_AVOID_NEG_TS_DISABLED;
    // Sound and picture come interleaved from the disc already; a stream that pauses (a
    // subtitle, an audio stream that ended) holds the others back for half a second at most.
    format_->max_interleave_delta = 500000;
    AVDictionary* options = nullptr;
    // Each track's default flag as given, none inferred.
    av_dict_set(&options, "default_mode", "passthrough", 0);
    av_dict_set(&options, "write_crc32", clusterCrc ? "1" : "0", 0);
    const int result = avformat_write_header(format_, &options);
    av_dict_free(&options);
    check(result);
    started_ = true;
}

void MatroskaWriter::write(const MatroskaBlock& block) {
    AVPacket* packet = block.packet;
    if (lengthPrefixed_[block.track]) {
        AVPacket* units = nullptr;
        try {
            units = avcUnits_.lengthPrefixed(*packet);
        } catch (...) {
            releasePacket(packet);
            throw;
        }
        releasePacket(packet);
        packet = units;
    }
    packet->stream_index = int(block.track);
    packet->pts = block.pts;
    packet->dts = block.dts;
    packet->duration = block.duration;
    packet->flags = block.key ? AV_PKT_FLAG_KEY : 0;
    av_packet_rescale_ts(packet, Ticks, format_->streams[block.track]->time_base);
    const int result = av_interleaved_write_frame(format_, packet);
    releasePacket(packet);
    check(result);
}

void MatroskaWriter::addChapters(const TitleChapters& chapters, int64_t endTicks) {
    const std::vector<ChapterMark>& marks = chapters.marks;
    for (size_t i = 0; i < marks.size(); ++i) {
        // Each goes into the context as it is made, which frees it with the rest.
        auto* grown = static_cast<AVChapter**>(
            av_realloc_array(format_->chapters, format_->nb_chapters + 1, sizeof(AVChapter*)));
        if (grown == nullptr) throw std::bad_alloc();
        format_->chapters = grown;
        auto* chapter = static_cast<AVChapter*>(av_mallocz(sizeof(AVChapter)));
        if (chapter == nullptr) throw std::bad_alloc();
        grown[format_->nb_chapters++] = chapter;
        chapter->id = int64_t(i + 1);
        chapter->time_base = {1, 1000000000};
        chapter->start = marks[i].startNs;
        // Up to the next chapter's start, never before its own: the muxer refuses such a
        // chapter, and with it the whole file.
        const int64_t next = i + 1 < marks.size() ? marks[i + 1].startNs : endTicks * 100000 / 9;
        chapter->end = std::max(marks[i].startNs, next);
        if (!marks[i].name.empty())
            av_dict_set(&chapter->metadata, "title", marks[i].name.c_str(), 0);
        av_dict_set(&chapter->metadata, "language", chapters.language.c_str(), 0);
    }
}

void MatroskaWriter::finish(const TitleChapters& chapters, int64_t endTicks) {
    addChapters(chapters, endTicks);
    check(av_interleaved_write_frame(format_, nullptr));
    check(av_write_trailer(format_));
    avio_flush(io_);
    if (failure_) std::rethrow_exception(failure_);
    writes_.finish();
}

} // namespace splitwick
