#pragma once
// A fresh directory under the system's temporary directory, removed with its
// contents when the object dies. Path() ends with the separator.

#include <string>

namespace rubso::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    // Path() + name.
    std::string File(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

// Whole-file helpers for tests: bytes as stored, no conversion. ReadBytes
// gives "" for a missing file; WriteBytes creates or truncates.
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

}  // namespace rubso::test
