#pragma once
#include <array>
#include <compare>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "stream_codecs.h"

namespace splitwick {

// Which stream a packet belongs to: the identifier it carries and the field that carries it (a
// PES stream_id, the stream_id_extension of an extended stream, a private stream 1 sub-stream
// id). Every identifier is a track of its own: DD 0x80 and DTS-HD 0x88 are two tracks, though
// both are audio stream 0.
struct TrackId {
    IdField field = IdField::StreamId;
    uint8_t id = 0;
    auto operator<=>(const TrackId&) const = default;
    // 0 to 767: a place in a table of every identifier.
    int key() const { return int(field) * 256 + id; }
};

// How users name a track: its kind and its number within the kind, as the identifier gives it
// ("audio00" for DD+ 0xC0 and for DTS-HD 0x88, "sub17" for subpicture 0x31). Names choose
// tracks on the command line, the window's boxes stand for them, and the playlist's stream
// numbers label them; the rare tracks of two codecs that share one name are chosen together.
struct TrackName {
    TrackKind kind = TrackKind::Video;
    int number = 0;
    auto operator<=>(const TrackName&) const = default;
    // "video0", "audio00", "sub17".
    std::string text() const;
    // Its number as labels and names write it: one digit for video, two for the others.
    std::string numberText() const;
    // "cbAudio00": the name the JSON summaries give the stream, after the box that stands for
    // it in the window.
    std::string jsonName() const;
};

// How many numbers each kind has: two video streams, sixteen audio streams (DD+ reaches
// 15), thirty-two subpicture streams.
int numbersOfKind(TrackKind kind);

// A stream of an EVO as a scan met it, with its codec.
struct Track {
    TrackId id;
    const StreamCodec* codec = nullptr;

    TrackKind kind() const { return codec->kind; }
    int number() const { return codec->index(id.id); }
    TrackName name() const { return {kind(), number()}; }
    // "DD+ audio stream 1", as the scan's lines name it.
    std::string scanName() const { return streamLabel(*codec, number()); }
    // The label its files are named by when no playlist names it: "DD+.stream.01",
    // "MPEG-2.stream.0", "Subpicture.17".
    std::string label() const;
};

// The tracks a scan met, in the order it met them; a later part of a title goes on in the same
// list. Finding one by its identifier costs a table look-up: the scanner asks per packet.
class TrackList {
  public:
    TrackList() { slots_.fill(-1); }

    // The track of this identifier, once met; nullptr before.
    const Track* find(TrackId id) const {
        const int slot = slots_[size_t(id.key())];
        return slot < 0 ? nullptr : &tracks_[size_t(slot)];
    }
    // Enters the track when it is new; gives it, and whether it was new.
    std::pair<const Track*, bool> meet(TrackId id, const StreamCodec& codec);

    bool empty() const { return tracks_.empty(); }
    size_t size() const { return tracks_.size(); }
    auto begin() const { return tracks_.begin(); }
    auto end() const { return tracks_.end(); }

    // The first track met of this name; nullptr for none.
    const Track* first(TrackName name) const;
    // The tracks in the order files and Matroska tracks take them: video, audio, subpictures,
    // each by number, tracks of one name in the order met.
    std::vector<const Track*> inOrder() const;

  private:
    // Tracks never move once met: their addresses are handed out.
    std::deque<Track> tracks_;
    std::array<int16_t, 3 * 256> slots_;
};

// Whether a track goes before another in the order of TrackList::inOrder.
bool inTrackOrder(const Track& a, const Track& b);

} // namespace splitwick
