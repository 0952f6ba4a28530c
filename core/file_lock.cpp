#include "core/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "core/file_utils.h"
#include "core/text_utils.h"

namespace rubso {

FileLock::~FileLock() {
    Release();
}

FileLock::FileLock(FileLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        Release();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

FileLock::Outcome FileLock::TryTake(const std::string& path) {
    Release();
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return Outcome::kFailed;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool busy = errno == EWOULDBLOCK;
        ::close(fd);
        return busy ? Outcome::kBusy : Outcome::kFailed;
    }
    fd_ = fd;
    return Outcome::kTaken;
}

void FileLock::Release() {
    if (fd_ < 0) return;
    ::close(fd_);  // closing the last descriptor lets the lock go
    fd_ = -1;
}

void FileLock::SetHolderText(std::string_view holder) {
    if (fd_ < 0) return;
    const std::string line = std::string(holder) + "\n";
    if (::ftruncate(fd_, 0) != 0) return;
    // A line that cannot be written only leaves a refused party without a name.
    [[maybe_unused]] const ssize_t written = ::pwrite(fd_, line.data(), line.size(), 0);
}

std::string FileLock::HolderText(const std::string& path) {
    return Trim(ReadFileText(path));
}

}  // namespace rubso
