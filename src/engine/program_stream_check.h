#pragma once
#include <string>

namespace splitwick {

// An HD DVD video file is an MPEG program stream: a pack header (00 00 01 BA) comes within its
// first 64 KiB. Throws JobError (Input) naming the file when none does, an empty file
// included, so that a job writes nothing from a file that is not one.
void requireProgramStream(const std::string& path);

} // namespace splitwick
