#pragma once
#include <string>

#include "engine/session.h"
#include "playlist.h"
#include "playlist_view.h"

namespace splitwick {

// Reads the lines of the title element that plays the EVO: the title's name and duration,
// its video, audio and subtitle streams, and its chapters. Each stream it names for the first
// time is marked in the stream table, listed, logged with " found!" and labels its box.
// Streams whose number or media attribute falls outside their tables are left out.
class TitleLines {
  public:
    TitleLines(Session& session, const Playlist& playlist, PlaylistTree& tree)
        : session_(session), playlist_(playlist), tree_(tree) {}

    void read(const std::string& line);

  private:
    struct StreamKind;
    void title(const std::string& line);
    void video(const std::string& line);
    void audio(const std::string& line);
    void subtitle(const std::string& line);
    void chapter(const std::string& line);
    // Audio and subtitle elements: "streamNumber", "mediaAttr" and "description".
    void numberedStream(const std::string& line, const StreamKind& kind, std::string& description);
    // Marks the stream's entry; false when it was marked already.
    bool markNew(int entry);
    void report(TreeBranch branch, const std::string& label);

    Session& session_;
    const Playlist& playlist_;
    PlaylistTree& tree_;
    // Kept from line to line, like the scan's holders.
    std::string titleName_, titleDuration_;
    std::string audioDescription_, subtitleDescription_;
    std::string chapterBegin_, chapterName_;
};

} // namespace splitwick
