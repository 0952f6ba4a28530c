#include "db/desktop/desktop_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>

namespace rubso::desktop_io {
namespace {

FaultHook& Hook() {
    static FaultHook hook;
    return hook;
}

Counts& Counted() {
    static Counts counts;
    return counts;
}

void Count(Call call) {
    Counts& counts = Counted();
    switch (call) {
        case Call::Write:
            ++counts.writes;
            break;
        case Call::Sync:
        case Call::SyncDirectory:
            ++counts.syncs;
            break;
        case Call::Truncate:
            ++counts.truncates;
            break;
        case Call::Remove:
            ++counts.removes;
            break;
    }
}

[[noreturn]] void Die() {
    std::raise(SIGKILL);
    _exit(137);  // not reached
}

// The hook's verdict for a call that is about to run.
Fault Ask(Call call) {
    Count(call);
    if (!Hook()) return Fault::None;
    const Fault fault = Hook()(call);
    if (fault == Fault::Crash || (fault == Fault::CrashMidWrite && call != Call::Write)) Die();
    return fault;
}

int WriteFully(int fd, const char* data, std::size_t size, off_t offset) {
    while (size > 0) {
        const ssize_t written = pwrite(fd, data, size, offset);
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (written == 0) return EIO;
        data += written;
        size -= static_cast<std::size_t>(written);
        offset += written;
    }
    return 0;
}

}  // namespace

void SetFaultHook(FaultHook hook) {
    Hook() = std::move(hook);
}

Counts CallCounts() {
    return Counted();
}

void ResetCounts() {
    Counted() = Counts{};
}

int WriteAt(int fd, const char* data, std::size_t size, off_t offset) {
    switch (Ask(Call::Write)) {
        case Fault::Fail:
            return EIO;
        case Fault::CrashMidWrite:
            WriteFully(fd, data, size / 2, offset);
            Die();
        default:
            return WriteFully(fd, data, size, offset);
    }
}

int SyncFile(int fd) {
    if (Ask(Call::Sync) == Fault::Fail) return EIO;
    return fsync(fd) == 0 ? 0 : errno;
}

int Truncate(int fd, off_t length) {
    if (Ask(Call::Truncate) == Fault::Fail) return EIO;
    return ftruncate(fd, length) == 0 ? 0 : errno;
}

int RemoveFile(const std::string& path) {
    if (Ask(Call::Remove) == Fault::Fail) return EIO;
    return unlink(path.c_str()) == 0 ? 0 : errno;
}

int SyncDirectory(const std::string& directory) {
    if (Ask(Call::SyncDirectory) == Fault::Fail) return EIO;
    const int fd = open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return errno;
    const int result = fsync(fd) == 0 ? 0 : errno;
    close(fd);
    return result;
}

}  // namespace rubso::desktop_io
