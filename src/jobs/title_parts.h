#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/job_events.h"
#include "engine/open_files.h"
#include "engine/output_file.h"
#include "engine/source_file.h"
#include "job_request.h"

namespace splitwick {

// The EVOs a job reads, in order, into one set of outputs: the chosen EVO, then the later clips
// of a disc's title chosen whole, or the second part of a split title ("..._1.EVO" whose partner
// "..._2.EVO" exists when the job starts, when the request continues parts). The outputs are
// named after the title: a disc title's name (made safe), NAME_1_2, or the EVO's stem. The job
// goes on into each part in turn unless the pass stopped meanwhile, so a part that has gone
// since is the open error of that file, not part of a title under such a name.
struct TitleParts {
    std::string first;
    std::vector<std::string> later;
    // Where the playlist places each later part on the title's timeline, from the first's place,
    // in ns; empty for a split title, whose parts follow one another.
    std::vector<int64_t> placesNs;
    std::string stem; // of the outputs, without folder
    bool fromDisc = false;
    std::optional<int64_t> lengthNs; // a disc title's titleDuration
};

TitleParts titleParts(const JobRequest& request);
// The .mkv a request writes: the output folder joined with the title's stem.
std::string mkvFileOf(const JobRequest& request);
// The bytes of all the parts that are there.
int64_t partsSize(const TitleParts& parts);

// The stem of every output: the output folder joined with the title's stem.
std::string outputPrefix(const JobRequest& request, const TitleParts& parts);

// Creates a job's output. Besides the files the job holds open (the source, its other
// outputs), which the output itself refuses, it must not be a later part of the title, which is
// not open yet: one created over it (a link to it under the output's name) would empty it before
// it is read, so that is refused as a file in use too.
std::unique_ptr<OutputFile> createOutput(OpenFiles& files, const TitleParts& parts,
                                         const std::string& name);
// That refusal alone, for an output that creates its file itself: "Cannot create file ...".
void refuseLaterParts(const TitleParts& parts, const std::string& name);

// Throws the error its pass would meet for the first later part that cannot be opened or is no
// EVO: a job checks them before it creates anything, not after its first part's outputs were
// made and then taken back.
void requireLaterParts(const TitleParts& parts);

// After the pass over the part before: when the job goes on into later part `index` (the pass
// ran to its end), that part, opened, and the line "Continue on NAME"; nullptr when it does not.
std::unique_ptr<SourceFile> openLaterPart(JobEvents& events, OpenFiles& files,
                                          const TitleParts& parts, size_t index,
                                          StopReason partBefore);

} // namespace splitwick
