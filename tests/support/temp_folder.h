#pragma once
#include <string>
#include <vector>

namespace splitwick::testing {

// A fresh folder under the system's temporary folder, removed with everything in it when the
// test ends.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder, without a trailing "/".
    const std::string& path() const { return path_; }
    // A path inside the folder.
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// The whole content of a file; empty when it cannot be read.
std::string readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::string& bytes);
// The names of the entries of a folder, sorted.
std::vector<std::string> fileNamesIn(const std::string& folder);

} // namespace splitwick::testing
