#pragma once
#include <string>

namespace splitwick {

// Creates a file no other run can have chosen in the folder open as `folder`: PREFIX + six
// random letters and digits + SUFFIX, made with O_EXCL, readable and writable as every output
// is (the umask applies). Gives the open descriptor and sets `made` to the name; -1 with errno
// set when it cannot.
int createUniqueFile(int folder, const std::string& prefix, const std::string& suffix,
                     std::string& made);

} // namespace splitwick
