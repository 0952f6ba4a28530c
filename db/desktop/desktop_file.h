#pragma once
// The block structure of one desktop-database (Paradox) table file: its
// records in the order of the block chain, and the writes that keep the file
// in the shape the trading program's own engine leaves it.
//
// pxlib reads the header's variable part (field types, sizes and names, code
// page) and creates new files. The data blocks are read and written here:
// pxlib 0.6.8 counts an emptied block as hundreds of records when the file is
// opened again, takes the physical block order for the chain order, follows a
// chain that runs in a circle for ever, and rewrites the whole header on
// every change.
//
// The file's shape:
// - A header of `headerSize` bytes, then blocks of `blockSize` bytes numbered
//   from 1. The header keeps the record count, the number of blocks, the
//   first and last block of the chain and the autoincrement counter.
// - Each block starts with 6 bytes: next block, previous block (0 at the
//   ends) and the offset of its last record, that is (records - 1) * record
//   size, which is minus the record size for an empty block. The records
//   follow without gaps.
// - Records are numbered 0..RecordCount()-1 in chain order. Deleting a record
//   moves the later records of its block up, so every later record number
//   drops by one.
// How the writes keep that shape:
// - An appended record goes after the last record of the last block; a full
//   last block gets a new block at the end of the file.
// - A block emptied by a delete leaves the chain, as with the original engine
//   (only an empty table keeps its one empty block); when the first block
//   empties, the next block's records move into it so that the chain still
//   starts there. A block that leaves the chain is marked empty and is not
//   used again (the space is lost until the table is rebuilt); the free-block
//   list and the block counters are left as they are.
// - Only the header's counters change; every other header byte is kept.
//
// Writes are held in memory, block by block, until Flush (or until the held
// bytes pass a limit); Flush writes each run of changed blocks with one call
// and the header's counters with one more. While a DesktopJournal guards the
// file, the original bytes of every block and of the header go to the journal
// before the file is changed, and held blocks reach the file only when the
// journal says so (see desktop_journal.h).
//
// Every failure raises DesktopTableError with a message naming the file. A
// failed write marks the object broken: later writes, reads and Flush raise,
// only Close is allowed.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "db/desktop/desktop_error.h"
#include "db/desktop/desktop_field.h"

namespace rubso {

class DesktopJournal;

// What a new table is made of (see DesktopTable::Create).
struct DesktopNewField {
    std::string name;
    DesktopFieldKind kind = DesktopFieldKind::Alpha;
    int length = 0;  // width of an alpha field; ignored for the other kinds
};

class DesktopFile {
  public:
    // Opens and checks the file: a header this layer understands, a table
    // (not an index) file, no password, field sizes that add up to the record
    // size, and a block chain that lies inside the file, links back and forth
    // and holds the header's record count. A writable file must also have its
    // last block where the header says. Nothing is written. A header whose
    // counters lag behind the blocks raises DesktopHeaderMismatch.
    static std::unique_ptr<DesktopFile> Open(const std::string& path, bool writable);

    // Creates a table file with no records; raises if the file exists or the
    // fields are not a valid table (see DesktopTable::Create).
    static void Create(const std::string& path, const std::vector<DesktopNewField>& fields,
                       int codePage);

    // Rebuilds the header's counters (record count, block counts, last
    // block) from the block chain, for a table that Open refuses with
    // DesktopHeaderMismatch; the blocks and every other header byte stay.
    // An interrupted change of the table's directory is rolled back first.
    // Returns false, changing nothing, when the header already agrees with
    // the blocks. Raises when the chain itself is damaged or the write fails.
    static bool RepairHeader(const std::string& path);

    ~DesktopFile();
    DesktopFile(const DesktopFile&) = delete;
    DesktopFile& operator=(const DesktopFile&) = delete;

    const std::string& Path() const { return path_; }
    bool Writable() const { return writable_; }
    const std::vector<DesktopField>& Fields() const { return fields_; }
    int RecordSize() const { return recordSize_; }
    int RecordCount() const { return recordCount_; }
    int CodePage() const { return codePage_; }
    bool IsKeyed() const { return keyed_; }

    // Copies record `recno` (0-based, chain order) into `out` (RecordSize()
    // bytes).
    void ReadRecord(int recno, char* out);
    // Calls `visit(recno, record)` for every record in order.
    void ForEachRecord(const std::function<void(int, const char*)>& visit);

    // The next autoincrement value; it is stored with the next append.
    std::int32_t NextAutoIncrement();

    // Writes. The file must be writable and not broken. Each changes the
    // held blocks; Flush hands them to the OS.
    int AppendRecord(const char* record);  // returns the new record's number
    void UpdateRecord(int recno, const char* record);
    void DeleteRecord(int recno);

    // Raises when the file is closed or an earlier write failed.
    void CheckUsable() const;

    // Without a journal: the held blocks and the header to the OS; raises on
    // failure. Under a journal: nothing (the journal decides when).
    void Flush();
    // Without a journal: Flush, then to the disk (fsync). Under a journal:
    // the journal's checkpoint, then fsync of this file.
    void Sync();
    // Writes what is held (as Flush, or through the journal's checkpoint)
    // and closes; raises when that or the close fails. The file is closed in
    // every case.
    void Close();

    // --- For DesktopJournal ---------------------------------------------------
    struct Original {
        long long offset;
        std::string bytes;
    };
    // Starts holding every change for `journal`: the file's present length
    // is its original length, and the original bytes of each block and of
    // the header are kept before their first change. Held changes made
    // before are written first.
    void AttachJournal(DesktopJournal* journal);
    void DetachJournal();
    long long OriginalLength() const { return originalLength_; }
    // The original bytes noted since the last call, for the journal.
    std::vector<Original> TakeOriginals();
    // Writes every held block and the header to the file (no fsync).
    void WriteHeld();
    std::size_t HeldBytes() const { return heldBytes_; }
    // fsync, when anything was written since the file was opened.
    void SyncWritten();
    // Drops every held change and leaves the object usable only for Close:
    // `reason` is the message of later calls.
    void Abandon(const std::string& reason);

  private:
    struct Block {
        int number;
        int count;
    };
    // What ReadChain finds; Open checks it against the header.
    struct ChainFacts {
        long long records = 0;
        int highestBlock = 0;
    };

    DesktopFile(std::string path, int fd, bool writable);
    // Opens the file and reads the header's fixed part.
    static std::unique_ptr<DesktopFile> OpenHeader(const std::string& path, bool writable);

    [[noreturn]] void Fail(const std::string& detail) const;
    [[noreturn]] void FailWrite(const std::string& what, int error);
    void CheckWritable() const;

    void ReadFixedHeader();
    // Whole blocks the file has room for after its header.
    int BlocksInFile() const;
    // Walks the chain from the first block; a block number above both the
    // header's count and `blockLimit` is damage.
    ChainFacts ReadChain(int blockLimit);
    void CheckChainAgainstHeader(const ChainFacts& facts);
    void ReadFields();

    long long BlockOffset(int number) const;
    // Reads through the held blocks.
    void ReadAt(long long offset, char* out, std::size_t size);
    void ReadFromDisk(long long offset, char* out, std::size_t size);
    // The held copy of a block, read from the file (or zeros past its end)
    // when it is not held yet.
    std::string& Hold(int number);
    void NoteOriginal(long long offset, std::size_t size);
    void WriteAt(long long offset, const char* data, std::size_t size);
    void WriteBlockHead(int number, int next, int previous, int count);
    void WriteCounters();
    // Writes the held blocks of [from, to).
    void WriteBlocks(std::map<int, std::string>::iterator from,
                     std::map<int, std::string>::iterator to);
    // After each change: spill held blocks that passed the limit.
    void AfterChange();

    // Chain position and slot of a record number.
    std::pair<std::size_t, int> Position(int recno) const;
    int NextInChain(std::size_t position) const;
    int PreviousInChain(std::size_t position) const;
    void RenumberChain(std::size_t from = 0);
    void RemoveEmptyBlock(std::size_t position);

    std::string path_;
    int fd_ = -1;
    bool writable_ = false;
    bool broken_ = false;
    std::string brokenReason_;

    std::vector<DesktopField> fields_;
    int recordSize_ = 0;
    int headerSize_ = 0;
    int blockSize_ = 0;
    int recordsPerBlock_ = 0;
    int codePage_ = 0;
    bool keyed_ = false;
    long long fileSize_ = 0;  // the file's length on disk, with what was written since

    // Counters of the header, and the header's first bytes as read.
    std::string head_;
    int recordCount_ = 0;
    int blocksInUse_ = 0;
    int totalBlocks_ = 0;
    int firstBlock_ = 0;
    int lastBlock_ = 0;
    int maxBlocks_ = 0;
    std::int32_t autoIncrement_ = 0;

    std::vector<Block> chain_;
    std::vector<int> chainStart_;  // record number of each chain block's first record

    // Changes not yet written: whole blocks by number, and the counters.
    std::map<int, std::string> held_;
    bool headerHeld_ = false;
    std::size_t heldBytes_ = 0;
    bool written_ = false;  // something reached the file since it was opened

    // Under a journal.
    DesktopJournal* journal_ = nullptr;
    long long originalLength_ = 0;
    std::unordered_set<int> saved_;  // blocks (0: the header) whose originals are noted
    std::vector<Original> originals_;
};

}  // namespace rubso
