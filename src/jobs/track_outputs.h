#pragma once
#include <string>

#include "engine/output_set.h"
#include "plan.h"
#include "playlist/title_chapters.h"
#include "title_parts.h"

namespace splitwick {

// Creates the files a track's plan names in the set: its stream file (raw, WAV or PGS) and a raw
// subpicture stream's .pts file. Nothing for a track that gets no file of its own.
void createTrackOutputs(OutputSet& outputs, OpenFiles& files, const TitleParts& parts,
                        const TrackPlan& plan);

// The file of the title's chapters beside the streams, created in the set and written; logs
// "Creating NAME". A split title's chapters cover both parts.
void createChapterFile(OutputSet& outputs, OpenFiles& files, const TitleParts& parts,
                       const std::string& name, const TitleChapters& chapters, JobEvents& events);

} // namespace splitwick
