#pragma once
#include <string>

namespace splitwick::testing {

// Writes FOLDER/mkvmerge, a shell script that stands in for mkvmerge: `body` runs with $out
// set to the file the option file ("@FILE", its one argument) tells mkvmerge to write.
void writeFakeMkvmerge(const std::string& folder, const std::string& body);

} // namespace splitwick::testing
