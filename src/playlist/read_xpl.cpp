#include "read_xpl.h"

#include <span>

#include "attribute_items.h"
#include "engine/file_pass.h"
#include "engine/job_error.h"
#include "engine/open_files.h"
#include "playlist_encoding.h"
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
std::pair<std::string, bool> scanPlaylist(const std::string& path, PlaylistRead& read,
                                          MemoLines& memo, PlaylistView& view, JobEvents& events) {
    OpenFiles files; // the read's only file
    auto source = std::make_unique<SourceFile>(path, files);
    refuseOversizedPlaylist(*source);
    const std::string size = std::to_string(source->size());
    events.logged("Open " + source->fileName());
    events.logged("Filesize: " + size + " bytes");

    AttributeItems items(read);
    TagScanner scanner([&](uint8_t indentLevels, const std::string& text) {
        memo.append(indentLevels, text);
        // Indentation is spaces in front of the tag: it cannot make or break a match.
        items.test(text);
    });
    view.clearAndHideMemo();
    try {
        // Cancel stops a long read as it stops a scan, without a question.
        FilePass pass(events, std::move(source), false, {});
        PlaylistEncoding encoding;
        for (std::span<uint8_t> chunk; !(chunk = pass.next()).empty();) {
            const int64_t position = pass.source().position();
            events.progress({std::to_string(position) + "/" + size + " bytes", position,
                             pass.source().size(), ""});
            scanner.feed(encoding.toUtf8(chunk));
        }
        scanner.feed(encoding.toUtf8({}));
        return {items.playlistTitle(), pass.stopReason() == StopReason::EndOfFile};
    } catch (...) {
        view.showMemo(std::move(memo));
        throw;
    }
}

// Cuts the memo to the title that plays the EVO and reads its lines once into the title's model,
// which gives a new tree, the labels and the title's facts. False, leaving memo and tree as they
// are, when no line names the EVO.
bool readTitle(PlaylistRead& read, MemoLines& memo, PlaylistView& view,
               const std::string& playlistTitle, const std::string& evoName, JobEvents& events) {
    const std::optional<size_t> line = evoLine(memo, evoName);
    if (!line) return false;
    cutToTitle(memo, *line);
    TitleModel model = readTitleModel(memo, playlistTitle, read.titleSet, evoName);
    read.labels = labelTitle(read.attributes, model, events);
    read.title = std::move(model.title);
    view.replaceTree(std::move(model.tree));
    return true;
}

} // namespace

void refuseOversizedPlaylist(const SourceFile& source) {
    if (source.size() > MaxPlaylistSize)
        throw cannotOpen(source.path(), "The file is over 16 MiB, too large for a playlist");
}

PlaylistRead readPlaylist(const std::string& path, const std::string& evoName, PlaylistView& view,
                          JobEvents& events) {
    PlaylistRead read;
    MemoLines memo;
    const auto [playlistTitle, wholeFile] = scanPlaylist(path, read, memo, view, events);
    // A cancelled read has not met every title.
    read.titleFound = wholeFile && readTitle(read, memo, view, playlistTitle, evoName, events);
    view.showMemo(std::move(memo));
    events.done();
    return read;
}

} // namespace splitwick
