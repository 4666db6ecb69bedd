#include "read_xpl.h"

#include <span>

#include "attribute_items.h"
#include "engine/file_pass.h"
#include "engine/job_error.h"
#include "tag_scanner.h"
#include "title_labels.h"
#include "title_selection.h"

namespace splitwick {

namespace {

// Real playlists are under 100 KiB; this bounds what text that is not one can cost.
constexpr int64_t MaxPlaylistSize = 16 * MiB;

// Opens the playlist and reads it in chunks into the memo, one line per tag, testing each tag
// for the playlist's title and attribute items. Closes it on every path; a failure once the
// memo is hidden shows the lines read so far. Gives the playlist's title, and whether the whole
// file was read.
std::pair<std::string, bool> scanPlaylist(Session& session, Playlist& playlist, MemoLines& memo,
                                          PlaylistView& view) {
    auto source = std::make_unique<SourceFile>(session.request.playlistPath, session.openFiles);
    refuseOversizedPlaylist(*source);
    const std::string size = std::to_string(source->size());
    session.log("Open " + session.state.playlistFile);
    session.log("Filesize: " + size + " bytes");

    AttributeItems items(playlist);
    TagScanner scanner([&](uint8_t indentLevels, const std::string& text) {
        memo.append(indentLevels, text);
        // Indentation is spaces in front of the tag: it cannot make or break a match.
        items.test(text);
    });
    view.clearAndHideMemo();
    try {
        // Cancel stops a long read as it stops a scan, without a question.
        FilePass pass(session, std::move(source), false, nullptr);
        for (std::span<uint8_t> chunk; !(chunk = pass.next()).empty();) {
            session.slog(std::to_string(pass.source().position()) + "/" + size + " bytes", 1);
            scanner.feed(chunk);
        }
        return {items.playlistTitle(), pass.stopReason() == StopReason::EndOfFile};
    } catch (...) {
        view.showMemo(std::move(memo));
        throw;
    }
}

// Cuts the memo to the title that plays the EVO and reads its lines once into the title's model,
// which gives a new tree, the boxes and the title's facts. False, leaving memo and tree as they
// are, when no line names the EVO.
bool readTitle(Session& session, Playlist& playlist, MemoLines& memo, PlaylistView& view,
               const std::string& playlistTitle) {
    const std::optional<size_t> line = evoLine(memo, session.state.evoName);
    if (!line) return false;
    cutToTitle(memo, *line);
    TitleModel model =
        readTitleModel(memo, playlistTitle, playlist.titleSet, session.state.evoName);
    labelTitle(session, playlist, model);
    playlist.title = std::move(model.title);
    view.replaceTree(std::move(model.tree));
    return true;
}

} // namespace

void refuseOversizedPlaylist(const SourceFile& source) {
    if (source.size() > MaxPlaylistSize)
        throw cannotOpen(source.path(), "The file is over 16 MiB, too large for a playlist");
}

bool readPlaylist(Session& session, Playlist& playlist, PlaylistView& view) {
    session.streams.forget();
    playlist.titleSet = {};
    playlist.title = {};
    MemoLines memo;
    const auto [playlistTitle, wholeFile] = scanPlaylist(session, playlist, memo, view);
    // From here on the table marks the streams the title names.
    session.state.streamTable.fill(-1);
    // A cancelled read has not met every title.
    const bool found = wholeFile && readTitle(session, playlist, memo, view, playlistTitle);
    view.showMemo(std::move(memo));
    finishJob(session);
    return found;
}

} // namespace splitwick
