#include "es_evo.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>

#include "byte_file.h"
#include "es_expected_data.h"
#include "pes_builder.h"
#include "scan_record.h"
#include "unit_list.h"
#include "vc1_units.h"

namespace splitwick::maker {

namespace {

constexpr size_t EvoBufferSize = 1 << 20;
constexpr int64_t Second = 90000;
constexpr int64_t PtsModulus = int64_t(1) << 33;
// Packs reach the decoder this long before their data is decoded.
constexpr int64_t DeliveryLead = Second / 2;
constexpr size_t TimestampBytes = 5;

struct EsCodec {
    const char* name;
    Codec codec;
};
constexpr EsCodec EsCodecs[] = {
    {"mpeg2", Codec::Mpeg2}, {"h264", Codec::H264},   {"vc1", Codec::Vc1},
    {"ac3", Codec::DD},      {"eac3", Codec::DDPlus}, {"dts", Codec::DtsHd},
    {"truehd", Codec::Mlp},  {"lpcm", Codec::Lpcm},   {"spu", Codec::Subpicture},
};

TrackName boxOf(Codec codec, uint8_t id) {
    return {*traitsOf(codec).output, outputIndex(codec, id)};
}

uint64_t wrapped(int64_t ticks) {
    return uint64_t(ticks) & uint64_t(PtsModulus - 1);
}

// Milliseconds, rounded to the nearest, halves away from 0.
int64_t roundedMs(int64_t ticks) {
    return ticks >= 0 ? (ticks + 45) / 90 : -((45 - ticks) / 90);
}

// The PTS of the first presented of (pts, dts) pairs in decode order: the smallest among those
// decoded within one second of the first.
int64_t firstPresented(const std::vector<std::pair<int64_t, int64_t>>& timestamps) {
    int64_t smallest = timestamps.front().first;
    for (const auto& [pts, dts] : timestamps)
        if (dts < timestamps.front().second + Second) smallest = std::min(smallest, pts);
    return smallest;
}

// One stream of the recipe on its way into packets.
struct Input {
    Input(const EsStream& r, size_t n, const EsRecipe& title);

    const EsStream& recipe;
    size_t number; // in the recipe
    const CodecTraits& traits;
    TrackName box;
    uint8_t pesId;
    size_t subHeaderSize;
    std::ifstream file;
    int64_t size;
    UnitList list;               // on the title's timeline
    std::optional<PtsJump> jump; // its from on the title's timeline
    bool withDts = false;
    size_t unit = 0; // the unit that holds the next byte
    int64_t position = 0;
    bool firstPacket = true;

    bool done() const { return position == size; }
    int64_t nextDts() const { return list.units[unit].dts; }
    // The bytes of the stream that the next packet carries, in the room it has.
    int64_t packetLength(size_t room) const;
    // The first unit that begins in the next length bytes, if any, and how many do.
    std::pair<size_t, size_t> unitsBeginning(int64_t length) const;
    Bytes subStreamHeaderFor(size_t first, size_t count) const;
    // The PTS and DTS the packet where the unit begins carries; none in a stream without.
    std::optional<std::pair<int64_t, int64_t>> carried(size_t index) const;
    void advance(int64_t length);
};

Input::Input(const EsStream& r, size_t n, const EsRecipe& title)
    : recipe(r), number(n), traits(traitsOf(r.codec)), box(boxOf(r.codec, r.id)),
      pesId(pesStreamId(r.codec, r.id)),
      subHeaderSize(inPrivateStream1(r.codec) ? subStreamHeaderSize(r.id) : 0),
      file(r.es, std::ios::binary) {
    std::error_code error;
    size = int64_t(std::filesystem::file_size(r.es, error));
    if (!file || error) throw std::runtime_error("cannot read " + r.es);
    if (r.codec == Codec::Lpcm)
        list = lpcmUnitList(r.lpcm, size);
    else if (r.codec == Codec::Vc1 && r.units.empty())
        list = vc1UnitList(r.es);
    else
        list = readUnitList(r.units, size);
    // Onto the title's timeline: the first presented unit at the base plus the stream's start.
    std::vector<std::pair<int64_t, int64_t>> timestamps;
    for (const Unit& u : list.units)
        timestamps.emplace_back(u.pts, u.dts);
    const int64_t shift = int64_t(title.ptsBase) + r.start - firstPresented(timestamps);
    for (Unit& u : list.units) {
        u.pts += shift;
        u.dts += shift;
        withDts |= u.dts != u.pts;
    }
    for (const StampError& error : r.stampErrors) {
        if (error.unit >= list.units.size())
            throw std::invalid_argument("no unit " + std::to_string(error.unit) + " in " + r.es);
        withDts |= error.dts;
    }
    if (title.ptsJump)
        jump = PtsJump{int64_t(title.ptsBase) + title.ptsJump->from, title.ptsJump->ticks};
}

std::optional<std::pair<int64_t, int64_t>> Input::carried(size_t index) const {
    if (!recipe.timestamps) return std::nullopt;
    const Unit& unit = list.units[index];
    int64_t pts = unit.pts, dts = unit.dts;
    for (const StampError& error : recipe.stampErrors) {
        if (error.unit != index) continue;
        // A packet with a PTS alone carries it as its DTS too.
        if (!error.dts && unit.dts == unit.pts) dts += error.ticks;
        (error.dts ? dts : pts) += error.ticks;
    }
    if (jump && unit.dts >= jump->from) {
        pts += jump->ticks;
        dts += jump->ticks;
    }
    return std::pair(pts, dts);
}

std::pair<size_t, size_t> Input::unitsBeginning(int64_t length) const {
    const size_t first = list.units[unit].offset == position ? unit : unit + 1;
    size_t count = 0;
    while (first + count < list.units.size() &&
           list.units[first + count].offset < position + length)
        ++count;
    return {first, count};
}

int64_t Input::packetLength(size_t room) const {
    int64_t length = std::min(int64_t(room), size - position);
    if (recipe.codec == Codec::Lpcm) {
        // LPCM packets hold whole units, so that each PTS is that of the packet's first sample.
        const int64_t unitSize = lpcmUnitSize(recipe.lpcm);
        if (unitSize > int64_t(room))
            throw std::invalid_argument(describe(recipe.lpcm) +
                                        " has too many bytes per 1/1200 s for a packet");
        length = std::min(length, int64_t(room) / unitSize * unitSize);
    }
    // Each picture begins a packet, so that it carries the picture's timestamps whole (a reader
    // may not find a start code split over two packets) and a VOBU's navigation pack can go
    // in front of its first. A subpicture unit begins a packet too: its PTS is its first's.
    if (box.kind != TrackKind::Audio && unit + 1 < list.units.size())
        length = std::min(length, list.units[unit + 1].offset - position);
    return length;
}

Bytes Input::subStreamHeaderFor(size_t first, size_t count) const {
    AudioUnits units;
    units.count = uint8_t(std::min<size_t>(count, 255));
    units.firstPointer =
        count == 0 ? 0
                   : firstAccessUnitPointer(recipe.id, size_t(list.units[first].offset - position));
    units.lpcmCoding = lpcmCoding(recipe.lpcm);
    return subStreamHeader(recipe.id, units);
}

void Input::advance(int64_t length) {
    position += length;
    while (unit + 1 < list.units.size() && list.units[unit + 1].offset <= position)
        ++unit;
}

// What a part holds of the title, gathered while it is written.
struct PartLog {
    std::vector<std::optional<int64_t>> firstPts;
    std::vector<std::optional<std::pair<int64_t, int64_t>>> esRange;
    std::vector<std::pair<int64_t, int64_t>> videoTimestamps; // (pts, dts) of video stream 0
};

class EsMuxer {
  public:
    explicit EsMuxer(const EsRecipe& recipe);
    MadeEsEvo make(const std::string& path, const std::string& expectFolder);

  private:
    void checkRecipe() const;
    size_t splitUnit() const;
    Input* nextInput();
    bool startsVobu(const Input& input) const;
    void beginPart(size_t part);
    void endPart();
    void navigationPack(int64_t dts);
    void streamPack(Input& input);
    void logPacket(const Input& input, size_t first, size_t count, int64_t length);
    int64_t nextScr(int64_t dts);
    void writePack();
    PartTiming timingOf(const PartLog& log) const;

    const EsRecipe& recipe_;
    std::vector<std::unique_ptr<Input>> inputs_;
    Input* video_ = nullptr; // video stream 0
    std::vector<std::string> paths_;
    MadeEsEvo made_;
    std::unique_ptr<ScanRecord> record_;
    std::unique_ptr<ByteFile> out_;
    size_t part_ = 0;
    int64_t partSize_ = 0;
    PartLog log_;
    Bytes pack_;
    std::optional<int64_t> scr_;
    size_t vobuUnit_ = 0; // video stream 0's unit that the last navigation pack was for
};

EsMuxer::EsMuxer(const EsRecipe& recipe) : recipe_(recipe) {
    checkRecipe();
    for (const EsStream& s : recipe.streams) {
        inputs_.push_back(std::make_unique<Input>(s, inputs_.size(), recipe));
        if (inputs_.back()->box == TrackName{TrackKind::Video, 0}) video_ = inputs_.back().get();
    }
    pack_.reserve(PackSize);
}

void EsMuxer::checkRecipe() const {
    const auto require = [](bool ok, const std::string& what) {
        if (!ok) throw std::invalid_argument(what);
    };
    require(recipe_.parts == 1 || recipe_.parts == 2, "a title has one or two parts");
    require(recipe_.ptsBase < uint64_t(PtsModulus), "a PTS has 33 bits");
    std::vector<TrackName> boxes;
    for (const EsStream& s : recipe_.streams) {
        require(!esCodecName(s.codec).empty(), "no elementary-stream input for this codec");
        checkId(s.codec, s.id);
        const TrackName box = boxOf(s.codec, s.id);
        require(std::find(boxes.begin(), boxes.end(), box) == boxes.end(),
                "two streams for " + box.jsonName());
        boxes.push_back(box);
    }
    require(std::find(boxes.begin(), boxes.end(), TrackName{TrackKind::Video, 0}) != boxes.end(),
            "the timing is measured against video stream 0, which the recipe lacks");
}

size_t EsMuxer::splitUnit() const {
    const std::vector<Unit>& units = video_->list.units;
    std::optional<size_t> best;
    const auto distance = [&](size_t i) {
        return std::max(i, units.size() / 2) - std::min(i, units.size() / 2);
    };
    for (size_t i = 1; i < units.size(); ++i)
        if (units[i].key && (!best || distance(i) < distance(*best))) best = i;
    if (!best)
        throw std::invalid_argument("a split title is cut before a key unit of video stream 0, "
                                    "and it has none past its first");
    return *best;
}

MadeEsEvo EsMuxer::make(const std::string& path, const std::string& expectFolder) {
    paths_ = {path};
    if (recipe_.parts == 2) paths_.push_back(secondPartPath(path));
    const size_t split = recipe_.parts == 2 ? splitUnit() : 0;
    record_ = std::make_unique<ScanRecord>(expectFolder, paths_);
    made_.evo.parts.resize(paths_.size());

    beginPart(0);
    navigationPack(nextInput()->nextDts());
    for (Input* input; (input = nextInput()) != nullptr;) {
        if (input == video_ && startsVobu(*input)) {
            if (input->unit == split && part_ == 0) {
                endPart();
                beginPart(1);
            }
            vobuUnit_ = input->unit;
            navigationPack(input->nextDts());
        }
        streamPack(*input);
    }
    endPart();
    made_.evo.expectedFiles = record_->close();

    const Rational frame = video_->list.unitDuration;
    made_.videoFrameRate =
        std::to_string(frame.den) + (frame.num == 1 ? "" : "/" + std::to_string(frame.num));
    made_.expectedData = expectedDataPath(path);
    writeExpectedData(recipe_, made_, made_.expectedData);
    return std::move(made_);
}

// The stream whose next byte is decoded first; none when all are done.
Input* EsMuxer::nextInput() {
    Input* next = nullptr;
    for (const auto& input : inputs_)
        if (!input->done() && (next == nullptr || input->nextDts() < next->nextDts()))
            next = input.get();
    return next;
}

// A key unit of video stream 0 begins with the next byte: a VOBU begins with a navigation pack.
bool EsMuxer::startsVobu(const Input& input) const {
    const Unit& unit = input.list.units[input.unit];
    return unit.key && unit.offset == input.position && input.unit != vobuUnit_;
}

void EsMuxer::beginPart(size_t part) {
    part_ = part;
    partSize_ = 0;
    out_ = std::make_unique<ByteFile>(paths_[part], EvoBufferSize);
    record_->beginPart(made_.evo.parts[part]);
    log_ = PartLog();
    log_.firstPts.resize(inputs_.size());
    log_.esRange.resize(inputs_.size());
}

void EsMuxer::endPart() {
    out_->close();
    record_->endPart();
    MadePart& part = made_.evo.parts[part_];
    part.path = paths_[part_];
    part.size = partSize_;
    made_.parts.push_back(timingOf(log_));
}

void EsMuxer::navigationPack(int64_t dts) {
    pack_.clear();
    appendPackHeader(pack_, wrapped(nextScr(dts)));
    int video = 0, audio = 0;
    for (const auto& input : inputs_)
        ++(input->box.kind == TrackKind::Video ? video : audio);
    appendSystemHeader(pack_, video, audio);
    fillWithNavigation(pack_);
    writePack();
}

void EsMuxer::streamPack(Input& input) {
    pack_.clear();
    appendPackHeader(pack_, wrapped(nextScr(input.nextDts())));

    // Room for the timestamps is kept in every packet; where a packet has none, or only a PTS,
    // stuffing bytes fill it, so that the size of the header never depends on the payload.
    const size_t timestampRoom = TimestampBytes * (input.withDts ? 2 : 1);
    PesHeader header;
    header.pstd = input.firstPacket;
    header.streamIdExtension = pesStreamIdExtension(input.recipe.codec, input.recipe.id);
    const size_t room =
        PackSize - PackHeaderSize - pesHeaderSize(header) - timestampRoom - input.subHeaderSize;
    const int64_t length = input.packetLength(room);

    // The timestamps are those of the first unit that begins in the packet.
    const auto [first, count] = input.unitsBeginning(length);
    header.stuffing = uint8_t(timestampRoom);
    if (const auto stamps = count > 0 ? input.carried(first) : std::nullopt) {
        header.pts = wrapped(stamps->first);
        if (stamps->second != stamps->first) header.dts = wrapped(stamps->second);
        header.stuffing = uint8_t(timestampRoom - TimestampBytes * (header.dts ? 2 : 1));
    }
    size_t padding = room - size_t(length);
    if (padding < MinPaddingPacket) {
        header.stuffing = uint8_t(header.stuffing + padding);
        padding = 0;
    }
    appendPesHeader(pack_, input.pesId, header, input.subHeaderSize + size_t(length));
    if (input.subHeaderSize > 0) {
        const Bytes sub = input.subStreamHeaderFor(first, count);
        pack_.insert(pack_.end(), sub.begin(), sub.end());
    }
    const size_t payloadStart = pack_.size();
    pack_.resize(payloadStart + size_t(length));
    if (!input.file.read(reinterpret_cast<char*>(pack_.data() + payloadStart), length))
        throw std::runtime_error("cannot read " + input.recipe.es);
    if (padding > 0) appendPaddingPacket(pack_, padding);

    record_->streamMet(input.box.kind, input.box.number, input.recipe.id);
    if (input.box.kind == TrackKind::Subpicture && header.pts)
        record_->timestamp(input.recipe.id, uint32_t(*header.pts));
    record_->payload(input.box.kind, input.box.number, input.recipe.id, input.traits.frameStartCode,
                     pack_.data() + payloadStart, size_t(length));
    logPacket(input, first, count, length);
    input.firstPacket = false;
    input.advance(length);
    writePack();
}

void EsMuxer::logPacket(const Input& input, size_t first, size_t count, int64_t length) {
    if (const auto stamps = count > 0 ? input.carried(first) : std::nullopt) {
        if (!log_.firstPts[input.number]) log_.firstPts[input.number] = stamps->first;
        if (&input == video_) log_.videoTimestamps.push_back(*stamps);
    }
    auto& range = log_.esRange[input.number];
    if (!range) range.emplace(input.position, input.position);
    range->second = input.position + length;
}

// The SCR of the next pack: a pack's time at the mux rate behind the last, or later where that
// would deliver data more than the lead ahead of its decoding (the rate is an upper bound).
int64_t EsMuxer::nextScr(int64_t dts) {
    const int64_t early = dts - DeliveryLead;
    const int64_t scr = scr_ ? std::max(*scr_ + int64_t(ScrPerPack), early) : early;
    scr_ = scr;
    return scr;
}

void EsMuxer::writePack() {
    out_->write(pack_.data(), pack_.size());
    partSize_ += int64_t(pack_.size());
}

PartTiming EsMuxer::timingOf(const PartLog& log) const {
    PartTiming timing;
    std::optional<int64_t> reference;
    if (!log.videoTimestamps.empty()) {
        reference = firstPresented(log.videoTimestamps);
        timing.referencePts = wrapped(*reference);
        int64_t last = log.videoTimestamps.front().first;
        for (const auto& [pts, dts] : log.videoTimestamps)
            last = std::max(last, pts);
        timing.lastVideoPts = wrapped(last);
    }
    for (size_t i = 0; i < inputs_.size(); ++i) {
        StreamTiming stream;
        stream.box = inputs_[i]->box;
        if (log.firstPts[i]) {
            stream.firstPts = wrapped(*log.firstPts[i]);
            if (reference) stream.delayMs = roundedMs(*log.firstPts[i] - *reference);
        }
        if (log.esRange[i]) std::tie(stream.esBegin, stream.esEnd) = *log.esRange[i];
        timing.streams.push_back(stream);
    }
    return timing;
}

} // namespace

MadeEsEvo makeEsEvo(const EsRecipe& recipe, const std::string& path,
                    const std::string& expectFolder) {
    return EsMuxer(recipe).make(path, expectFolder);
}

std::optional<Codec> esCodecNamed(const std::string& name) {
    for (const EsCodec& c : EsCodecs)
        if (name == c.name) return c.codec;
    return std::nullopt;
}

std::string esCodecName(Codec codec) {
    for (const EsCodec& c : EsCodecs)
        if (codec == c.codec) return c.name;
    return "";
}

uint8_t nextFreeId(Codec codec, const std::vector<EsStream>& streams) {
    const CodecTraits& traits = traitsOf(codec);
    for (int id = traits.firstId; id <= traits.lastId; ++id)
        if (std::none_of(streams.begin(), streams.end(), [&](const EsStream& s) {
                return boxOf(s.codec, s.id) == boxOf(codec, uint8_t(id));
            }))
            return uint8_t(id);
    throw std::invalid_argument("no " + esCodecName(codec) +
                                " stream id left with a box of its own");
}

} // namespace splitwick::maker
