#pragma once
#include <memory>
#include <string>

#include "chapter_file.h"
#include "demuxed_files.h"
#include "engine/output_set.h"
#include "engine/session.h"
#include "job_steps.h"

namespace splitwick {

// Creates a box's outputs in the set: its stream file, and for a subpicture its .pts side
// file, named OUTPUTPREFIX.LABEL.EXTENSION from the stream's label. The stream's codec comes
// from the identifier a scan stored for it, else from its label (a playlist's); an LPCM
// stream becomes a WAV file when the request says so. The extension is "wav" for such a file,
// the codec's own with extensions by codec, else the request's extension of the stream's kind.
// Gives their names, the stream file's as the "Creating" line shows it.
DemuxedStream createBoxOutputs(OutputSet& outputs, Session& session, const SplitTitle& title,
                               const std::string& prefix, Box box, const std::string& label,
                               int32_t streamId);
// The names createBoxOutputs gives, without creating anything.
DemuxedStream boxOutputNames(const JobRequest& request, const std::string& prefix, Box box,
                             const std::string& label, int32_t streamId);

// The file of the title's chapters beside the streams, OUTPUTPREFIX.chapters.xml, created in the
// set, logged and written; gives its name, empty when the title has none. A split title's
// chapters cover both parts.
std::string createChapterFile(OutputSet& outputs, Session& session, const SplitTitle& title,
                              const TitleChapters& chapters, const std::string& prefix);

} // namespace splitwick
