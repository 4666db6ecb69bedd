#include "fake_mkvmerge.h"

#include <sys/stat.h>

#include "test_files.h"

namespace splitwick::testing {

void writeFakeMkvmerge(const std::string& folder, const std::string& body) {
    const std::string path = folder + "/mkvmerge";
    // The option file is a JSON array on one line: "--output","NAME" is found by its text.
    const std::string script = "#!/bin/sh\n"
                               "out=$(sed -n 's/.*\"--output\",\"\\([^\"]*\\)\".*/\\1/p' "
                               "\"${1#@}\")\n" +
                               body + "\n";
    writeBytes(path, Bytes(script.begin(), script.end()));
    ::chmod(path.c_str(), 0755);
}

} // namespace splitwick::testing
