#pragma once
// Files that must be on the disk, whole, when a function returns: what a
// later run relies on after this process was killed or the power failed.
// A file is either the old one or the new one, never a mix.

#include <string>
#include <string_view>

namespace rubso {

// Writes `bytes` to path + ".tmp", fsyncs it, renames it over `path` and
// fsyncs the directory. False when any step failed; `path` is then the old
// file (or none) and the temporary file is removed.
bool WriteFileDurably(const std::string& path, std::string_view bytes);

// Fsyncs an existing file and the directory that holds its name, so a file
// written and renamed into place by someone else survives a crash. False
// when the file cannot be opened or a sync failed.
bool SyncFileAndDirectory(const std::string& path);

// Copies `from` over `to` durably (as WriteFileDurably). False when `from`
// cannot be read or the write failed.
bool CopyFileDurably(const std::string& from, const std::string& to);

}  // namespace rubso
