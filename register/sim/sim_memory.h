#pragma once
// The library's copy of a register's memory between calls. A call reads
// the register's files again only when they are not the ones this copy last
// wrote or read (another process, the kasa-sim tool or an edit changed
// them), and writes only its own changes, as one journal entry
// (sim_journal.h). Now and then, when the journal has grown as large as the
// state file, the whole state is written as a new state file and the
// journal starts again; so a call costs the same whatever the register
// holds, and reading the files costs at most twice the state file.
//
// Whether the files are the ones last seen is told by their size,
// modification time and file number, and by the first 64 KiB of the state
// file, which a small register's whole state fits in.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "register/sim/sim_errors.h"
#include "register/sim/sim_journal.h"
#include "register/sim/sim_state.h"

namespace rubso::sim {

class RegisterMemory {
  public:
    explicit RegisterMemory(std::filesystem::path stateFile);

    // The register's state, read from the files only when needed. On
    // kStateUnreadable the files are left as found and nothing is kept.
    Error Load(RegisterState*& state);
    // Writes the changes `editor` made to the loaded state as the next
    // journal entry (nothing when it made none), then the whole state when
    // the journal has grown enough. kStateNotSaved when the entry could not
    // be written: the files then hold the state as before the call, and so
    // will the next Load.
    Error Save(const StateEditor& editor);

    // The memory of the register whose state file is `stateFile` (made
    // absolute), one per file for the life of the process.
    static RegisterMemory& For(const std::filesystem::path& stateFile);

  private:
    struct Identity {
        bool exists = false;
        std::uintmax_t size = 0;
        std::int64_t modified = 0;  // nanoseconds
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        bool operator==(const Identity&) const = default;
    };
    static Identity Identify(const std::filesystem::path& file);
    bool FilesUnchanged() const;
    Error ReadFiles();
    void Compact();

    std::filesystem::path stateFile_;
    std::filesystem::path journalFile_;
    bool loaded_ = false;
    RegisterState state_;
    Identity stateIdentity_;
    Identity journalIdentity_;
    std::string stateHead_;            // the state file's first bytes, as last seen
    std::uintmax_t journalValid_ = 0;  // bytes of complete entries
};

}  // namespace rubso::sim
