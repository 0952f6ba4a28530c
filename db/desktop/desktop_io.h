#pragma once
// The calls through which the desktop-table layer changes files on disk:
// positioned writes, fsync of a file and of a directory, truncation and
// removal. Every change the layer makes to a table or to its journal goes
// through here, so that a test can make the k-th call fail or end the process
// there, and a benchmark can count the calls.
//
// Each function returns 0 or the errno value of the failure; none raises.

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>

namespace rubso::desktop_io {

enum class Call { Write, Sync, Truncate, Remove, SyncDirectory };

// What the fault hook makes of a call.
enum class Fault {
    None,           // the call runs
    Fail,           // the call does nothing and reports EIO
    Crash,          // the process ends at once (SIGKILL) before the call
    CrashMidWrite,  // a write hands over its first half, then the process ends
};

// Called before every call with its kind. For tests; an empty hook (the
// default) lets every call run. Not thread-safe: set it before the work.
using FaultHook = std::function<Fault(Call)>;
void SetFaultHook(FaultHook hook);

// How many calls of each kind ran (or were failed by the hook) since the
// last ResetCounts.
struct Counts {
    long writes = 0;
    long syncs = 0;  // fsync of files and of directories
    long truncates = 0;
    long removes = 0;
    long Total() const { return writes + syncs + truncates + removes; }
};
Counts CallCounts();
void ResetCounts();

// Writes all `size` bytes at `offset` (repeating short writes).
int WriteAt(int fd, const char* data, std::size_t size, off_t offset);
int SyncFile(int fd);
int Truncate(int fd, off_t length);
int RemoveFile(const std::string& path);
// fsync of the directory itself, so that a file created in it or removed
// from it stays so after a power loss.
int SyncDirectory(const std::string& directory);

}  // namespace rubso::desktop_io
