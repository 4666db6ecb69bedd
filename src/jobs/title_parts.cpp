#include "title_parts.h"

#include <filesystem>

#include "engine/job_error.h"
#include "engine/path_parts.h"
#include "engine/program_stream_check.h"
#include "file_choice.h"
#include "output_names.h"

namespace splitwick {

namespace {

// The text less its last k characters; empty when it has no more than k.
std::string withoutLast(const std::string& text, size_t k) {
    return text.size() <= k ? std::string() : text.substr(0, text.size() - k);
}

} // namespace

TitleParts titleParts(const JobRequest& request) {
    if (const auto& title = request.discTitle) {
        TitleParts parts{request.evoPath, {}, {}, safeNamePart(title->name), true, std::nullopt};
        for (size_t i = 1; i < title->clips.size(); ++i) {
            parts.later.push_back(title->clips[i].path);
            parts.placesNs.push_back(title->clips[i].beginNs - title->clips.front().beginNs);
        }
        if (title->info.durationMs) parts.lengthNs = *title->info.durationMs * 1'000'000;
        return parts;
    }
    const std::string stem = evoStem(request.evoPath);
    TitleParts parts{request.evoPath, {}, {}, stem, false, std::nullopt};
    if (!request.continueParts || !fileNameOf(request.evoPath).ends_with("_1.EVO")) return parts;
    const std::string secondPart = withoutLast(request.evoPath, 5) + "2.EVO";
    std::error_code ec;
    if (!std::filesystem::is_regular_file(secondPart, ec)) return parts;
    return {request.evoPath, {secondPart}, {}, stem + "_2", false, std::nullopt};
}

std::string outputPrefix(const JobRequest& request, const TitleParts& parts) {
    const std::string& folder = request.outputFolder;
    return folder.empty() || folder.back() == '/' ? folder + parts.stem : folder + "/" + parts.stem;
}

std::string mkvFileOf(const JobRequest& request) {
    return outputPrefix(request, titleParts(request)) + ".mkv";
}

void refuseLaterParts(const TitleParts& parts, const std::string& name) {
    for (const std::string& part : parts.later) {
        std::error_code ec;
        if (std::filesystem::equivalent(name, part, ec)) throw cannotCreate(name, FileInUse);
    }
}

std::unique_ptr<OutputFile> createOutput(OpenFiles& files, const TitleParts& parts,
                                         const std::string& name) {
    refuseLaterParts(parts, name);
    return std::make_unique<OutputFile>(name, files);
}

void requireLaterParts(const TitleParts& parts) {
    for (const std::string& part : parts.later) {
        // Held apart from the job's open files: a title may name a clip twice, and the first
        // part is open now.
        OpenFiles checking;
        const SourceFile opened(part, checking);
        requireProgramStream(part);
    }
}

std::unique_ptr<SourceFile> openLaterPart(JobEvents& events, OpenFiles& files,
                                          const TitleParts& parts, size_t index,
                                          StopReason partBefore) {
    if (index >= parts.later.size() || partBefore != StopReason::EndOfFile) return nullptr;
    auto source = std::make_unique<SourceFile>(parts.later[index], files);
    events.logged("Continue on " + fileNameOf(parts.later[index]));
    return source;
}

int64_t partsSize(const TitleParts& parts) {
    std::vector<std::string> files = parts.later;
    files.push_back(parts.first);
    int64_t size = 0;
    for (const std::string& file : files) {
        std::error_code error;
        const auto bytes = std::filesystem::file_size(file, error);
        if (!error) size += int64_t(bytes);
    }
    return size;
}

} // namespace splitwick
