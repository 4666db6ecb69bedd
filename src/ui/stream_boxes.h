#pragma once
#include <array>
#include <string>
#include <vector>

#include "engine/track.h"
#include "playlist/playlist.h"

namespace splitwick {

// The window's 40 stream boxes, cbVideo0 to cbVideo7, cbAudio00 to cbAudio15 and cbSub00 to
// cbSub15, each standing for the streams of one name; cbVideo2 to cbVideo7 stand for none.
constexpr int BoxCount = 40;

int boxesOfKind(TrackKind kind); // 8, 16, 16
// Every box's name in window order: video, audio, subpicture, each by number.
const std::array<TrackName, BoxCount>& boxNames();
int boxPosition(TrackName name);
// Whether a box of this name shows streams: video 0 and 1, audio 0 to 15, subpicture 0 to 15.
bool hasBox(TrackName name);
// "cbVideo0", "cbAudio05", "cbSub12": the box's object name.
std::string boxObjectName(TrackName name);
// The caption of a box that stands for no stream: "No video stream", ...
std::string noStreamCaption(TrackKind kind);
// The caption a box has before the first reset: "Video stream", ...
std::string laidOutCaption(TrackKind kind);

// What a box shows of the streams of its name: whether one is known, and ticked, its label and
// the playlist's words on it.
struct BoxState {
    bool known = false;
    bool chosen = false;
    std::string label;
    std::string description;
};

// What the boxes show of the title's streams, as the last read gave them: Read EVO's tracks or
// Read XPL's labels. Streams of names no box stands for (subpictures 16 to 31) are known here
// too; the window takes them whenever it takes its boxes' streams.
class WindowStreams {
  public:
    // Every box stands for no stream; with untick, none is ticked either.
    void forget(bool untick);
    // Read EVO's tracks: each name's first track labels its box, which is ticked.
    void showScan(const TrackList& tracks);
    // Read XPL's labels: each stream the title names labels its box, which is ticked; the other
    // boxes keep their ticks.
    void showPlaylist(const PlaylistRead& read);

    BoxState& operator[](TrackName name) { return boxes_[size_t(boxPosition(name))]; }
    const BoxState& operator[](TrackName name) const { return boxes_[size_t(boxPosition(name))]; }
    // The known streams no box stands for, with their labels.
    const std::vector<std::pair<TrackName, std::string>>& unboxed() const { return unboxed_; }
    bool anyChosen() const;
    // What the window asks a job to take: the ticked boxes' streams and every stream without a
    // box.
    std::vector<TrackName> chosen() const;

  private:
    void show(TrackName name, const std::string& label, const std::string& description);

    std::array<BoxState, BoxCount> boxes_;
    std::vector<std::pair<TrackName, std::string>> unboxed_;
};

} // namespace splitwick
