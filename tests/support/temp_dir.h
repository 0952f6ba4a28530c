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

}  // namespace rubso::test
