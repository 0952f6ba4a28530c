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
// Every failure raises DesktopTableError with a message naming the file. A
// failed write marks the object broken: later writes, reads and Flush raise,
// only Close is allowed.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "db/desktop/desktop_error.h"
#include "db/desktop/desktop_field.h"

namespace rubso {

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
    // last block where the header says. Nothing is written.
    static std::unique_ptr<DesktopFile> Open(const std::string& path, bool writable);

    // Creates a table file with no records; raises if the file exists or the
    // fields are not a valid table (see DesktopTable::Create).
    static void Create(const std::string& path, const std::vector<DesktopNewField>& fields,
                       int codePage);

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

    // Writes. The file must be writable and not broken. Each returns once the
    // bytes are handed to the C library's buffer; Flush hands them to the OS.
    int AppendRecord(const char* record);  // returns the new record's number
    void UpdateRecord(int recno, const char* record);
    void DeleteRecord(int recno);

    // Raises when the file is closed or an earlier write failed.
    void CheckUsable() const;

    void Flush();  // buffered bytes to the OS; raises on failure
    void Sync();   // Flush, then to the disk (fsync)
    // Flushes (when writable and not broken) and closes; raises when the
    // flush or the close fails. The file is closed in every case.
    void Close();

  private:
    struct Block {
        int number;
        int count;
    };

    DesktopFile(std::string path, std::FILE* file, bool writable);

    [[noreturn]] void Fail(const std::string& detail) const;
    [[noreturn]] void FailWrite(const std::string& what);
    void CheckWritable() const;

    void ReadFixedHeader();
    void ReadChain();
    void ReadFields();

    long long BlockOffset(int number) const;
    void ReadAt(long long offset, char* out, std::size_t size);
    void WriteAt(long long offset, const char* data, std::size_t size);
    void WriteBlockHead(int number, int next, int previous, int count);
    void WriteCounters();

    // Chain position and slot of a record number.
    std::pair<std::size_t, int> Position(int recno) const;
    int NextInChain(std::size_t position) const;
    int PreviousInChain(std::size_t position) const;
    void RenumberChain();
    void RemoveEmptyBlock(std::size_t position);

    std::string path_;
    std::FILE* file_ = nullptr;
    bool writable_ = false;
    bool broken_ = false;

    std::vector<DesktopField> fields_;
    int recordSize_ = 0;
    int headerSize_ = 0;
    int blockSize_ = 0;
    int recordsPerBlock_ = 0;
    int codePage_ = 0;
    bool keyed_ = false;
    long long fileSize_ = 0;

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
};

}  // namespace rubso
