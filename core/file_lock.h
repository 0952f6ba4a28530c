#pragma once
// An exclusive lock on a file (flock), held while the object lives and let go
// by the system when the process dies, so a killed holder never leaves a
// stale lock. The holder writes a line into the file saying who it is, so
// that a refused party can tell the operator.
//
// Locks are between open files, not processes: a second FileLock on the
// same path in the same process is refused as well.

#include <string>
#include <string_view>

namespace rubso {

class FileLock {
  public:
    enum class Outcome { kTaken, kBusy, kFailed };

    FileLock() = default;
    ~FileLock();
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Opens (creating) `path` and tries to lock it without waiting. kBusy
    // when another open file holds it, kFailed when the file cannot be opened
    // or locked for another reason. A lock held before is let go first.
    Outcome TryTake(const std::string& path);
    bool Held() const { return fd_ >= 0; }
    // Lets the lock go (the file stays).
    void Release();

    // Replaces the file's text with `holder` (one line: who holds it).
    void SetHolderText(std::string_view holder);
    // The text the holder of `path` wrote; empty when none.
    static std::string HolderText(const std::string& path);

  private:
    int fd_ = -1;
};

}  // namespace rubso
