// A scratch folder for a test: made fresh below the system's temporary folder,
// removed with everything in it when the object ends (also when the test took
// the owner's rights away from it).
#pragma once

#include <string>
#include <vector>

namespace egm2008::test {

/// A fresh folder below the system's temporary folder; throws when none can be made.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }
    /// `path()/name`.
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    /// The names in the folder, sorted (a test sees that no temporary file stayed behind).
    std::vector<std::string> Names() const;

private:
    std::string path_;
};

}  // namespace egm2008::test
