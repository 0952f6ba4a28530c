#pragma once
// The rollback journal that makes a change to several desktop tables all or
// nothing: the trading program's tables have no transactions, and a change
// that stops half-way (a failing disk, a killed process, a lost power
// supply) must leave them as they were.
//
// How it works:
// - Begin names the directory of the tables; Guard puts each table under the
//   journal before its first change. From then on the table layer holds the
//   changed blocks in memory and notes the original bytes of every block and
//   of the header before their first change.
// - At a checkpoint (when the held bytes pass a limit, and at Commit) the
//   noted originals, with each table's original length, are appended to the
//   journal file "Rubso.jnl" beside the tables as one checksummed batch; the
//   journal is fsync'd (and, when it was just created, its directory) before
//   the held blocks are written to the tables. A checkpoint costs one or two
//   fsyncs; a transfer has a handful, never one per row.
// - Commit writes what is held, fsyncs the tables and removes the journal:
//   that removal is the commit. The directory is fsync'd after it.
// - Rollback drops what is held and writes the original bytes back from the
//   journal file, cuts each table to its original length, fsyncs the tables
//   and removes the journal. It works on the files themselves, so a table
//   that a failed write left unusable is restored all the same.
// - A journal left behind by a process that died is rolled back by the next
//   opening of any table in that directory (DesktopTable::Open calls
//   RecoverInterruptedChange). A batch cut short or with a wrong checksum was
//   never followed by a table write: it and everything after it is ignored,
//   and a journal without a whole batch means nothing was changed yet.
//
// The journal holds an exclusive lock (flock) on its file while it lives, so
// an opening in another process does not roll back a change in progress.
//
// One thread. Errors raise DesktopTableError.

#include <cstddef>
#include <string>
#include <vector>

#include "db/desktop/desktop_error.h"

namespace rubso {

class DesktopFile;
class DesktopTable;

class DesktopJournal {
  public:
    static constexpr const char* kFileName = "Rubso.jnl";
    // directory + separator + kFileName.
    static std::string PathIn(const std::string& directory);

    DesktopJournal();
    // An active journal is rolled back; a failure is written to the work log.
    ~DesktopJournal();
    DesktopJournal(const DesktopJournal&) = delete;
    DesktopJournal& operator=(const DesktopJournal&) = delete;

    // Starts a change of tables in `directory`. `label` names it in the
    // operator's message when it is rolled back later (the document number).
    // Raises when a journal is active or a journal file lies there already.
    void Begin(const std::string& directory, const std::string& label);
    // Puts an open, writable table of the directory under the journal. Its
    // changes held so far are written first, outside the journal.
    void Guard(DesktopTable& table);
    // Makes every guarded change durable and removes the journal. When it
    // raises the journal is still in place and Rollback can follow.
    void Commit();
    // Puts the guarded tables back as they were at Guard. The tables are left
    // usable only for Close. Raises when the files cannot be restored; the
    // journal then stays for the next opening to retry.
    void Rollback();
    bool Active() const { return active_; }

    // Held bytes, over all guarded tables, that start a checkpoint.
    void SetHeldLimit(std::size_t bytes) { heldLimit_ = bytes; }

    // --- For DesktopFile ----------------------------------------------------
    // Journals the noted originals and writes the held blocks.
    void Checkpoint();
    // A checkpoint when the held bytes passed the limit.
    void HeldGrew();
    // The file closes: it is no longer guarded.
    void Forget(DesktopFile* file);

  private:
    struct Member {
        DesktopFile* file;
        int id;
        bool announced;
    };

    void WriteBatch(std::string payload);
    void Reset();

    bool active_ = false;
    bool failed_ = false;
    std::string directory_;
    std::string path_;
    std::string label_;
    std::vector<Member> members_;
    int nextId_ = 0;
    int fd_ = -1;  // the journal file, once the first batch is written
    long long length_ = 0;
    std::size_t heldLimit_ = std::size_t{16} << 20;
};

// What an opening found beside its table.
enum class RecoveryOutcome {
    None,       // no journal
    Discarded,  // a journal without a whole batch: nothing had been changed
    Restored,   // the tables were put back
};
struct DesktopRecovery {
    RecoveryOutcome outcome = RecoveryOutcome::None;
    std::string label;
    std::vector<std::string> tables;  // file names put back
};

// Rolls back the change whose journal lies in `directory`, if any. A restore
// is written to the work log and told to the operator (a message box); a
// discarded journal goes to the work log only. Raises DesktopTableError, in
// Polish, when the journal is in use by a change in progress, is not one of
// ours, or cannot be applied (it then stays for the next try).
DesktopRecovery RecoverInterruptedChange(const std::string& directory);

// "Przywrócono tabele ..." for a restore.
std::string RecoveryMessage(const std::string& directory, const DesktopRecovery& recovery);

}  // namespace rubso
