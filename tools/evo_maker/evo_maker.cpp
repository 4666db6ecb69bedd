#include "evo_maker.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "byte_file.h"
#include "elementary_stream.h"
#include "filler.h"
#include "pes_builder.h"
#include "scan_record.h"

namespace splitwick::maker {

namespace {

constexpr size_t EvoBufferSize = 4 << 20;
constexpr uint32_t MaxStuffing = 8;
constexpr uint32_t ShortPacketOdds = 8; // 1 in 8 varied packets leaves room for padding
constexpr uint32_t MaxShortfall = 600;
constexpr size_t TrapOffset = 40; // where a trap goes into padding and navigation data
// A video start code with a plausible length and header behind it.
constexpr uint8_t Trap[] = {0x00, 0x00, 0x01, 0xE0, 0x07, 0xEC, 0x81, 0xC0};

struct StreamState {
    StreamState(const StreamRecipe& r, uint64_t seed, bool traps)
        : recipe(r), traits(traitsOf(r.codec)), pesId(pesStreamId(r.codec, r.id)),
          subHeaderSize(inPrivateStream1(r.codec) ? subStreamHeaderSize(r.id) : 0),
          index(outputIndex(r.codec, r.id)),
          payload(traits.frameStartCode, r.unitBytes ? r.unitBytes : traits.defaultUnitBytes, traps,
                  seed) {}

    StreamRecipe recipe;
    const CodecTraits& traits;
    uint8_t pesId;
    size_t subHeaderSize;
    int index;
    ElementaryStream payload;
    int64_t packets = 0;
    int64_t currentWeight = 0;
};

// One PES packet as laid out in the pack being built: what a scan needs to make of it.
struct LaidOutPacket {
    StreamState* stream;
    size_t identifiedAt; // offset of the byte at which a scan knows the stream
    size_t payloadStart;
    size_t payloadLength;
    bool zeroLength;
    std::optional<uint32_t> ownPts; // low 32 bits of a PTS-only header
};

int countOutputs(const Recipe& recipe, TrackKind kind, bool withMpegAudio) {
    int count = 0;
    for (const StreamRecipe& s : recipe.streams)
        if (traitsOf(s.codec).output == kind || (withMpegAudio && s.codec == Codec::MpegAudio))
            ++count;
    return count;
}

void checkRecipe(const Recipe& recipe) {
    const auto require = [](bool ok, const char* what) {
        if (!ok) throw std::invalid_argument(what);
    };
    require(recipe.parts == 1 || recipe.parts == 2, "a title has one or two parts");
    require(recipe.size >= int64_t(PackSize) * recipe.parts, "too small for a pack per part");
    require(recipe.truncateLastPack >= 0 && recipe.truncateLastPack < int(PackSize),
            "truncation must stay inside the last pack");
    require(recipe.garbageEvery >= 0 && recipe.zeroLengthEvery >= 0 && recipe.navigationEvery >= 0,
            "intervals cannot be negative");
    bool unknownStream = false;
    for (const StreamRecipe& s : recipe.streams) {
        checkId(s.codec, s.id);
        require(s.weight > 0, "stream weights must be positive");
        unknownStream |= s.codec == Codec::UnknownStream;
    }
    // A scan reads the bodies of damaged and unknown packets as bytes between packets, where a
    // trap would be a real start code.
    require(!recipe.startCodeTraps || (recipe.zeroLengthEvery == 0 && !unknownStream),
            "start-code traps cannot go with packets a scan reads as bytes between packets");
}

class Maker {
  public:
    explicit Maker(const Recipe& recipe);
    MadeEvo make(const std::string& path, const std::string& expectFolder);

  private:
    void writePart(const std::string& path, int64_t budget, bool lastPart, MadePart& made,
                   ScanRecord& record);
    std::optional<LaidOutPacket> buildPack(int64_t packNumber);
    void navigationPackets();
    LaidOutPacket streamPacket();
    PesHeader headerFor(StreamState& stream);
    StreamState& nextStream();
    void plantTrap(size_t at);
    void deliver(const LaidOutPacket& packet, size_t kept, ScanRecord& record);

    const Recipe& recipe_;
    Filler layout_;
    std::vector<std::unique_ptr<StreamState>> streams_;
    size_t firstRound_ = 0; // each part opens with one packet of every stream, in recipe order
    int videoBound_;
    int audioBound_;
    Bytes pack_;
    int64_t packsWritten_ = 0;
    int64_t pesPackets_ = 0;
};

Maker::Maker(const Recipe& recipe)
    : recipe_(recipe), layout_(recipe.seed),
      videoBound_(recipe.videoBound.value_or(countOutputs(recipe, TrackKind::Video, false))),
      audioBound_(recipe.audioBound.value_or(countOutputs(recipe, TrackKind::Audio, true))) {
    checkRecipe(recipe);
    for (size_t i = 0; i < recipe.streams.size(); ++i)
        streams_.push_back(std::make_unique<StreamState>(
            recipe.streams[i], recipe.seed * 0x100000001B3ULL + i + 1, recipe.startCodeTraps));
    pack_.reserve(PackSize);
}

MadeEvo Maker::make(const std::string& path, const std::string& expectFolder) {
    MadeEvo made;
    std::vector<std::string> paths{path};
    if (recipe_.parts == 2) paths.push_back(secondPartPath(path));
    const int64_t firstBudget = recipe_.parts == 2
                                    ? recipe_.size / 2 / int64_t(PackSize) * int64_t(PackSize)
                                    : recipe_.size;
    ScanRecord record(expectFolder, paths);
    for (size_t part = 0; part < paths.size(); ++part) {
        made.parts.emplace_back();
        const bool last = part + 1 == paths.size();
        writePart(paths[part], part == 0 ? firstBudget : recipe_.size - firstBudget, last,
                  made.parts.back(), record);
    }
    made.expectedFiles = record.close();
    return made;
}

void Maker::writePart(const std::string& path, int64_t budget, bool lastPart, MadePart& made,
                      ScanRecord& record) {
    ByteFile out(path, EvoBufferSize);
    record.beginPart(made);
    std::array<int64_t, 2> startCodesBefore{};
    for (const auto& s : streams_)
        if (s->traits.frameStartCode != 0) startCodesBefore[s->index] += s->payload.startCodes();

    firstRound_ = 0;
    int64_t offset = 0;
    for (int64_t packNumber = 0; offset + int64_t(PackSize) <= budget; ++packNumber) {
        const bool lastPack = offset + 2 * int64_t(PackSize) > budget;
        const std::optional<LaidOutPacket> packet = buildPack(packNumber);
        const size_t kept =
            lastPart && lastPack ? PackSize - size_t(recipe_.truncateLastPack) : PackSize;
        out.write(pack_.data(), kept);
        if (packet) deliver(*packet, kept, record);
        offset += int64_t(kept);
        ++packsWritten_;
        if (kept < PackSize) break; // the cut pack ends the file
        if (recipe_.garbageEvery > 0 && (packNumber + 1) % recipe_.garbageEvery == 0) {
            const size_t garbage = 1 + layout_.below(PackSize - 1);
            if (offset + int64_t(garbage + PackSize) > budget) continue;
            pack_.resize(garbage);
            layout_.fill(pack_.data(), garbage);
            out.write(pack_.data(), garbage);
            offset += int64_t(garbage);
        }
    }
    out.close();
    record.endPart();

    made.path = path;
    made.size = offset;
    for (const auto& s : streams_)
        if (s->traits.frameStartCode != 0) made.startCodes[s->index] += s->payload.startCodes();
    for (int i = 0; i < 2; ++i)
        made.startCodes[i] -= startCodesBefore[i];
}

std::optional<LaidOutPacket> Maker::buildPack(int64_t packNumber) {
    const bool navigation =
        recipe_.navigationEvery > 0 && packNumber % recipe_.navigationEvery == 0;
    pack_.clear();
    appendPackHeader(pack_, uint64_t(packsWritten_) * ScrPerPack);
    if (recipe_.systemHeader && (packNumber == 0 || navigation))
        appendSystemHeader(pack_, videoBound_, audioBound_);
    if (navigation || streams_.empty()) {
        navigationPackets();
        return std::nullopt;
    }
    return streamPacket();
}

void Maker::navigationPackets() {
    const size_t start = pack_.size();
    fillWithNavigation(pack_);
    if (recipe_.startCodeTraps) plantTrap(start + TrapOffset);
}

LaidOutPacket Maker::streamPacket() {
    StreamState& s = nextStream();
    PesHeader header = headerFor(s);
    const size_t room = PackSize - pack_.size() - pesHeaderSize(header);
    const size_t shortfall = recipe_.varyHeaders && layout_.below(ShortPacketOdds) == 0
                                 ? MinPaddingPacket + layout_.below(MaxShortfall)
                                 : 0;
    const size_t body = room - shortfall;
    const bool zeroLength =
        recipe_.zeroLengthEvery > 0 && ++pesPackets_ % recipe_.zeroLengthEvery == 0;
    if (zeroLength) header.packetLength = 0;

    LaidOutPacket packet{&s, 0, 0, body - s.subHeaderSize, zeroLength, std::nullopt};
    const size_t pesStart = pack_.size();
    appendPesHeader(pack_, s.pesId, header, body);
    const size_t subStart = pack_.size();
    if (s.subHeaderSize > 0) {
        const Bytes sub = subStreamHeader(s.recipe.id);
        pack_.insert(pack_.end(), sub.begin(), sub.end());
    }
    packet.payloadStart = pack_.size();
    pack_.resize(packet.payloadStart + packet.payloadLength);
    s.payload.take(pack_.data() + packet.payloadStart, packet.payloadLength);
    if (shortfall > 0) {
        const size_t paddingStart = pack_.size();
        appendPaddingPacket(pack_, shortfall);
        if (recipe_.startCodeTraps && shortfall >= TrapOffset + sizeof Trap)
            plantTrap(paddingStart + TrapOffset);
    }

    // Where a scan identifies the stream: at the start code, at VC-1's stream_id_extension, at
    // a subpicture's id, or at the fourth byte of an audio sub-stream header.
    if (s.subHeaderSize > 0)
        packet.identifiedAt = subStart + std::min<size_t>(3, s.subHeaderSize - 1);
    else if (s.recipe.codec == Codec::Vc1)
        packet.identifiedAt = packet.payloadStart - header.stuffing - 1;
    else
        packet.identifiedAt = pesStart + 3;
    if (header.pts && !header.dts) packet.ownPts = uint32_t(*header.pts);
    return packet;
}

PesHeader Maker::headerFor(StreamState& s) {
    PesHeader header;
    const uint64_t pts = s.recipe.firstPts + uint64_t(s.packets) * s.recipe.ptsStep;
    const bool video = s.traits.output == TrackKind::Video;
    header.streamIdExtension = pesStreamIdExtension(s.recipe.codec, s.recipe.id);
    // Muxers give each stream's first packet its buffer size.
    header.pstd = s.packets == 0;
    ++s.packets;
    if (!recipe_.varyHeaders) {
        header.pts = pts;
        return header;
    }
    switch (layout_.below(video ? 3 : 2)) {
    case 0:
        header.pts = pts;
        break;
    case 1:
        break; // no timestamps
    case 2:
        header.pts = pts;
        header.dts = pts - std::min<uint64_t>(pts, s.recipe.ptsStep);
        break;
    }
    header.pstd = header.pstd || layout_.below(4) == 0;
    if (layout_.below(3) == 0) header.stuffing = uint8_t(1 + layout_.below(MaxStuffing));
    return header;
}

StreamState& Maker::nextStream() {
    if (firstRound_ < streams_.size()) return *streams_[firstRound_++];
    // Smooth weighted round robin: an even interleave in the ratio of the weights.
    int64_t total = 0;
    StreamState* best = nullptr;
    for (const auto& s : streams_) {
        s->currentWeight += s->recipe.weight;
        total += s->recipe.weight;
        if (best == nullptr || s->currentWeight > best->currentWeight) best = s.get();
    }
    best->currentWeight -= total;
    return *best;
}

void Maker::plantTrap(size_t at) {
    std::memcpy(pack_.data() + at, Trap, sizeof Trap);
}

void Maker::deliver(const LaidOutPacket& packet, size_t kept, ScanRecord& record) {
    const StreamState& s = *packet.stream;
    if (kept <= packet.identifiedAt || !s.traits.output) return;
    const TrackKind kind = *s.traits.output;
    record.streamMet(kind, s.index, s.recipe.id);

    // A packet claiming length 0 has no payload for a scan; a cut one only what is left.
    const bool payloadReached = kept > packet.payloadStart;
    const size_t delivered = packet.zeroLength || !payloadReached
                                 ? 0
                                 : std::min(packet.payloadLength, kept - packet.payloadStart);
    record.payload(kind, s.index, s.recipe.id, s.traits.frameStartCode,
                   pack_.data() + packet.payloadStart, delivered);
    // The timestamp goes out with the packet's first payload run, even an empty one.
    if (kind == TrackKind::Subpicture && packet.ownPts && *packet.ownPts != 0 && payloadReached)
        record.timestamp(s.recipe.id, *packet.ownPts);
}

} // namespace

MadeEvo makeEvo(const Recipe& recipe, const std::string& path, const std::string& expectFolder) {
    return Maker(recipe).make(path, expectFolder);
}

std::string secondPartPath(const std::string& firstPart) {
    const std::string tail = "_1.EVO";
    if (firstPart.size() < tail.size() ||
        firstPart.compare(firstPart.size() - tail.size(), tail.size(), tail) != 0)
        throw std::invalid_argument("the first part of a split title ends in _1.EVO");
    return firstPart.substr(0, firstPart.size() - 5) + "2.EVO";
}

} // namespace splitwick::maker
