#include "db/desktop/desktop_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <set>

#include "core/codepage.h"
#include "db/desktop/desktop_io.h"
#include "db/desktop/desktop_journal.h"

// pxlib declares its functions without C linkage for C++.
extern "C" {
#include <paradox.h>
}

namespace rubso {
namespace {

// Offsets in the header's fixed part (little-endian numbers).
constexpr int kRecordSizeAt = 0x00;
constexpr int kHeaderSizeAt = 0x02;
constexpr int kFileTypeAt = 0x04;
constexpr int kBlockSizeAt = 0x05;
constexpr int kRecordCountAt = 0x06;
constexpr int kBlocksInUseAt = 0x0A;
constexpr int kTotalBlocksAt = 0x0C;
constexpr int kFirstBlockAt = 0x0E;
constexpr int kLastBlockAt = 0x10;
constexpr int kFieldCountAt = 0x21;
constexpr int kKeyFieldsAt = 0x23;
constexpr int kEncryptionAt = 0x25;
constexpr int kFileVersionAt = 0x39;
constexpr int kMaxBlocksAt = 0x3A;
constexpr int kAutoIncrementAt = 0x49;
constexpr int kFixedHeaderSize = 0x58;
constexpr int kDataHeaderEncryptionAt = 0x5C;
constexpr std::uint32_t kEncryptionInDataHeader = 0xFF00FF00;
constexpr int kFirstVersionWithDataHeader = 5;
constexpr int kBlockHeadSize = 6;

constexpr int kKeyedTable = 0;
constexpr int kUnkeyedTable = 2;
constexpr int kMaxBlockNumber = 0xFFFF;
constexpr std::size_t kMaxFieldNameLength = 25;
// Held bytes of a file without a journal that are written before Flush.
constexpr std::size_t kHeldLimit = std::size_t{4} << 20;

unsigned ReadU16(const std::string& bytes, int at) {
    return static_cast<unsigned char>(bytes[at]) |
           (static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 1])) << 8);
}

std::uint32_t ReadU32(const std::string& bytes, int at) {
    return ReadU16(bytes, at) | (static_cast<std::uint32_t>(ReadU16(bytes, at + 2)) << 16);
}

void PutU16(char* out, unsigned value) {
    out[0] = static_cast<char>(value & 0xFF);
    out[1] = static_cast<char>((value >> 8) & 0xFF);
}

void PutU32(char* out, std::uint32_t value) {
    PutU16(out, value & 0xFFFF);
    PutU16(out + 2, value >> 16);
}

std::string ErrnoText() {
    return std::strerror(errno);
}

std::string TableMessage(const std::string& path, const std::string& detail) {
    return "Desktop table '" + path + "': " + detail;
}

// pxlib reports through this handler instead of printing; the messages end up
// in the error raised for the failed call.
void CollectPxMessage(pxdoc_t* /*doc*/, int /*level*/, const char* message, void* data) {
    auto* messages = static_cast<std::string*>(data);
    if (!messages->empty()) *messages += "; ";
    *messages += message != nullptr ? message : "unknown pxlib error";
}

struct PxDocDeleter {
    void operator()(pxdoc_t* doc) const { PX_delete(doc); }
};
using PxDoc = std::unique_ptr<pxdoc_t, PxDocDeleter>;

// A read-only stream over `bytes`, which must outlive it.
std::FILE* HeaderFile(std::string& bytes) {
    return fmemopen(bytes.data(), bytes.size(), "rb");
}

// Block size in KiB for a new table: the smallest that holds a few records.
int BlockKilobytesFor(int recordSize) {
    for (const int kilobytes : {4, 8, 16, 32}) {
        if ((kilobytes * 1024 - kBlockHeadSize) / recordSize >= 4) return kilobytes;
    }
    return 32;
}

}  // namespace

// --- Opening and checking ----------------------------------------------------

DesktopFile::DesktopFile(std::string path, int fd, bool writable)
    : path_(std::move(path)), fd_(fd), writable_(writable) {}

DesktopFile::~DesktopFile() {
    if (journal_ != nullptr) journal_->Forget(this);
    if (fd_ >= 0) close(fd_);
}

std::unique_ptr<DesktopFile> DesktopFile::Open(const std::string& path, bool writable) {
    std::unique_ptr<DesktopFile> table = OpenHeader(path, writable);
    // pxlib follows the block chain when it opens a file and never stops on a
    // chain that runs in a circle, so the chain is checked before pxlib reads.
    table->CheckChainAgainstHeader(table->ReadChain(table->BlocksInFile()));
    table->ReadFields();
    return table;
}

std::unique_ptr<DesktopFile> DesktopFile::OpenHeader(const std::string& path, bool writable) {
    const int fd = open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT) throw DesktopTableError(TableMessage(path, "the file does not exist"));
        throw DesktopTableError(TableMessage(path, std::string("cannot open the file ") +
                                                       (writable ? "for writing" : "for reading") +
                                                       ": " + std::strerror(error)));
    }
    std::unique_ptr<DesktopFile> table(new DesktopFile(path, fd, writable));
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        table->Fail("this is not a regular file");
    }
    table->fileSize_ = status.st_size;
    table->ReadFixedHeader();
    return table;
}

void DesktopFile::ReadFixedHeader() {
    if (fileSize_ < kFixedHeaderSize) {
        Fail("the file is too short to be a table (" + std::to_string(fileSize_) + " bytes)");
    }
    head_.assign(kFixedHeaderSize, '\0');
    ReadAt(0, head_.data(), head_.size());

    recordSize_ = static_cast<int>(ReadU16(head_, kRecordSizeAt));
    headerSize_ = static_cast<int>(ReadU16(head_, kHeaderSizeAt));
    const int fileType = static_cast<unsigned char>(head_[kFileTypeAt]);
    const int blockCode = static_cast<unsigned char>(head_[kBlockSizeAt]);
    const int version = static_cast<unsigned char>(head_[kFileVersionAt]);
    const int fieldCount = static_cast<int>(ReadU16(head_, kFieldCountAt));

    if (fileType != kKeyedTable && fileType != kUnkeyedTable) {
        Fail("this is not a table file (file type " + std::to_string(fileType) + ")");
    }
    if (version < 3 || version > 12) {
        Fail("the header has an unknown file version (" + std::to_string(version) + ")");
    }
    if (recordSize_ == 0) Fail("the header gives a record size of 0");
    if (headerSize_ < kFixedHeaderSize) {
        Fail("the header gives a header size of " + std::to_string(headerSize_) + " bytes");
    }
    if (headerSize_ > fileSize_) {
        Fail("the file is truncated: the header needs " + std::to_string(headerSize_) +
             " bytes, the file has " + std::to_string(fileSize_));
    }
    const std::set<int> blockCodes = {1, 2, 3, 4, 8, 16, 32};
    if (blockCodes.count(blockCode) == 0) {
        Fail("the header gives an unknown block size (code " + std::to_string(blockCode) + ")");
    }
    if (fieldCount < 1 || fieldCount > 255 || 0x78 + 2 * fieldCount > headerSize_) {
        Fail("the header gives an impossible number of fields (" + std::to_string(fieldCount) +
             ")");
    }
    blockSize_ = blockCode * 1024;
    recordsPerBlock_ = (blockSize_ - kBlockHeadSize) / recordSize_;
    if (recordsPerBlock_ < 1) Fail("a record is larger than a block");

    // Encrypted blocks (heads included) cannot be read here. The marker
    // 0xFF00FF00 says the password's checksum lives in the data header.
    std::uint32_t encryption = ReadU32(head_, kEncryptionAt);
    if (encryption == kEncryptionInDataHeader) {
        encryption = 0;
        if (version >= kFirstVersionWithDataHeader) {
            std::string word(4, '\0');
            ReadAt(kDataHeaderEncryptionAt, word.data(), word.size());
            encryption = ReadU32(word, 0);
        }
    }
    if (encryption != 0) Fail("the table is password-protected");

    const std::uint32_t count = ReadU32(head_, kRecordCountAt);
    if (count > static_cast<std::uint32_t>(INT_MAX)) {
        Fail("the header's record count is impossible");
    }
    recordCount_ = static_cast<int>(count);
    blocksInUse_ = static_cast<int>(ReadU16(head_, kBlocksInUseAt));
    totalBlocks_ = static_cast<int>(ReadU16(head_, kTotalBlocksAt));
    firstBlock_ = static_cast<int>(ReadU16(head_, kFirstBlockAt));
    lastBlock_ = static_cast<int>(ReadU16(head_, kLastBlockAt));
    maxBlocks_ = static_cast<int>(ReadU16(head_, kMaxBlocksAt));
    autoIncrement_ = static_cast<std::int32_t>(ReadU32(head_, kAutoIncrementAt));
}

void DesktopFile::ReadFields() {
    const int fileType = static_cast<unsigned char>(head_[kFileTypeAt]);
    const int fieldCount = static_cast<int>(ReadU16(head_, kFieldCountAt));
    // pxlib reads the field list, the names and the code page from a copy of
    // the header that counts no blocks: given the file it would also walk the
    // blocks, count an emptied one as hundreds of records and say so on
    // stderr, and read the whole file on every open.
    std::string header(static_cast<std::size_t>(headerSize_), '\0');
    ReadAt(0, header.data(), header.size());
    for (const int at : {kBlocksInUseAt, kTotalBlocksAt, kFirstBlockAt, kLastBlockAt}) {
        PutU16(header.data() + at, 0);
    }
    PutU32(header.data() + kRecordCountAt, 0);
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> copy(HeaderFile(header), std::fclose);
    if (!copy) Fail("cannot hand the header to pxlib: " + ErrnoText());
    std::string messages;
    PxDoc doc(PX_new3(CollectPxMessage, nullptr, nullptr, nullptr, &messages));
    if (!doc) Fail("pxlib could not start: " + messages);
    if (PX_open_fp(doc.get(), copy.get()) < 0) Fail("the header cannot be read: " + messages);
    const pxhead_t* head = doc->px_head;
    if (head->px_encryption != 0) Fail("the table is password-protected");
    if (head->px_numfields != fieldCount) Fail("the header cannot be read: field count differs");
    codePage_ = head->px_doscodepage;
    keyed_ = fileType == kKeyedTable || head->px_primarykeyfields > 0 ||
             ReadU16(head_, kKeyFieldsAt) > 0;

    int offset = 0;
    for (int i = 0; i < head->px_numfields; ++i) {
        const pxfield_t& source = head->px_fields[i];
        DesktopField field;
        field.name = source.px_fname != nullptr ? source.px_fname : "";
        field.typeCode = static_cast<unsigned char>(source.px_ftype);
        field.size = source.px_flen;
        field.offset = offset;
        const auto type = DesktopTypeFromCode(field.typeCode);
        const std::string which = "field " + std::to_string(i + 1) + " (" + field.name + ")";
        if (!type) {
            Fail(which + " has an unknown type (" + std::to_string(field.typeCode) + ")");
        }
        if (field.size < type->minSize || field.size > type->maxSize) {
            Fail(which + " has an impossible size (" + std::to_string(field.size) + ")");
        }
        field.kind = type->kind;
        offset += field.size;
        fields_.push_back(std::move(field));
    }
    if (offset != recordSize_) {
        Fail("the fields take " + std::to_string(offset) + " bytes, the header gives records of " +
             std::to_string(recordSize_));
    }
}

int DesktopFile::BlocksInFile() const {
    const long long room = fileSize_ - headerSize_;
    return room <= 0 ? 0
                     : static_cast<int>(std::min<long long>(kMaxBlockNumber, room / blockSize_));
}

DesktopFile::ChainFacts DesktopFile::ReadChain(int blockLimit) {
    chain_.clear();
    ChainFacts facts;
    std::vector<bool> seen(static_cast<std::size_t>(std::max(blockLimit, totalBlocks_)) + 1, false);
    int number = firstBlock_;
    int previous = 0;
    while (number != 0) {
        if (number > blockLimit && number > totalBlocks_) {
            Fail("the block chain refers to block " + std::to_string(number) +
                 ", but the header counts " + std::to_string(totalBlocks_) + " blocks");
        }
        if (seen[static_cast<std::size_t>(number)]) {
            Fail("the block chain runs in a circle at block " + std::to_string(number));
        }
        seen[static_cast<std::size_t>(number)] = true;
        const long long offset = BlockOffset(number);
        if (offset + kBlockHeadSize > fileSize_) {
            Fail("the file is truncated: block " + std::to_string(number) + " starts at byte " +
                 std::to_string(offset) + ", the file has " + std::to_string(fileSize_));
        }
        std::string head(kBlockHeadSize, '\0');
        ReadFromDisk(offset, head.data(), head.size());
        const int next = static_cast<int>(ReadU16(head, 0));
        const int back = static_cast<int>(ReadU16(head, 2));
        const int lastRecordAt = static_cast<std::int16_t>(ReadU16(head, 4));
        if (back != previous) {
            Fail("block " + std::to_string(number) + " links back to block " +
                 std::to_string(back) + " instead of " + std::to_string(previous));
        }
        if (lastRecordAt % recordSize_ != 0 || lastRecordAt < -recordSize_ ||
            lastRecordAt > (recordsPerBlock_ - 1) * recordSize_) {
            Fail("block " + std::to_string(number) + " gives an impossible size (" +
                 std::to_string(lastRecordAt) + ")");
        }
        const int count = lastRecordAt / recordSize_ + 1;
        const long long end = offset + kBlockHeadSize + static_cast<long long>(count) * recordSize_;
        if (end > fileSize_) {
            Fail("the file is truncated: block " + std::to_string(number) + " needs bytes up to " +
                 std::to_string(end) + ", the file has " + std::to_string(fileSize_));
        }
        chain_.push_back({number, count});
        facts.records += count;
        facts.highestBlock = std::max(facts.highestBlock, number);
        previous = number;
        number = next;
    }
    RenumberChain();
    return facts;
}

// A header whose counters lag behind the blocks is what a write leaves that
// stopped between a block and the header: the blocks hold the truth and the
// header can be rebuilt from them.
void DesktopFile::CheckChainAgainstHeader(const ChainFacts& facts) {
    std::string detail;
    std::string advice;
    if (facts.highestBlock > totalBlocks_) {
        detail = "the block chain refers to block " + std::to_string(facts.highestBlock) +
                 ", but the header counts " + std::to_string(totalBlocks_) + " blocks";
        advice = Cp1250("łańcuch bloków sięga bloku ") + std::to_string(facts.highestBlock) +
                 Cp1250(", a nagłówek liczy ") + std::to_string(totalBlocks_) + Cp1250(" bloków");
    } else if (facts.records != recordCount_) {
        detail = "the header counts " + std::to_string(recordCount_) +
                 " records, the blocks hold " + std::to_string(facts.records);
        advice = Cp1250("nagłówek podaje ") + std::to_string(recordCount_) +
                 Cp1250(" wierszy, a bloki zawierają ") + std::to_string(facts.records);
    } else if (writable_ && !chain_.empty() && chain_.back().number != lastBlock_) {
        detail = "the header's last block (" + std::to_string(lastBlock_) +
                 ") is not the end of the block chain (" + std::to_string(chain_.back().number) +
                 ")";
        advice = Cp1250("nagłówek podaje jako ostatni blok ") + std::to_string(lastBlock_) +
                 Cp1250(", a łańcuch bloków kończy się na bloku ") +
                 std::to_string(chain_.back().number);
    } else {
        return;
    }
    throw DesktopHeaderMismatch(
        TableMessage(path_, detail),
        Cp1250("Tabela ") + path_ + Cp1250(" jest niespójna: ") + advice +
            Cp1250(" (zapis przerwany między blokiem a nagłówkiem). Wiersze w blokach są "
                   "całe; nagłówek odtworzy z nich polecenie: rubso-repair-table \"") +
            path_ + "\"");
}

bool DesktopFile::RepairHeader(const std::string& path) {
    // An interrupted change is rolled back first: its journal knows better.
    const std::filesystem::path directory = std::filesystem::path(path).parent_path();
    RecoverInterruptedChange(directory.empty() ? std::string(".") : directory.string());
    const std::unique_ptr<DesktopFile> table = OpenHeader(path, true);
    const ChainFacts facts = table->ReadChain(table->BlocksInFile());
    if (facts.records > INT_MAX) table->Fail("the blocks hold too many records");
    const int blocks = std::max(table->totalBlocks_, facts.highestBlock);
    const bool agrees = facts.records == table->recordCount_ && blocks == table->totalBlocks_ &&
                        (table->chain_.empty() || table->chain_.back().number == table->lastBlock_);
    if (agrees) return false;
    table->recordCount_ = static_cast<int>(facts.records);
    table->blocksInUse_ += blocks - table->totalBlocks_;
    table->totalBlocks_ = blocks;
    table->maxBlocks_ = std::max(table->maxBlocks_, blocks);
    if (!table->chain_.empty()) table->lastBlock_ = table->chain_.back().number;
    table->WriteCounters();
    table->WriteHeld();
    table->SyncWritten();
    table->Close();
    return true;
}

// --- Creating ----------------------------------------------------------------

void DesktopFile::Create(const std::string& path, const std::vector<DesktopNewField>& fields,
                         int codePage) {
    const auto fail = [&path](const std::string& detail) {
        throw DesktopTableError(TableMessage(path, detail));
    };
    if (fields.empty()) fail("a table needs at least one field");
    if (fields.size() > 255) fail("a table has at most 255 fields");
    std::set<std::string> names;
    int recordSize = 0;
    for (const DesktopNewField& field : fields) {
        if (field.name.empty() || field.name.size() > kMaxFieldNameLength ||
            field.name.find('\0') != std::string::npos) {
            fail("the field name '" + field.name + "' is not 1 to 25 bytes long");
        }
        if (!names.insert(LowerCase(field.name)).second) {
            fail("the field name '" + field.name + "' occurs twice");
        }
        if (field.kind == DesktopFieldKind::Other) {
            fail("the field '" + field.name + "' has a kind this layer cannot create");
        }
        if (field.kind == DesktopFieldKind::Alpha && (field.length < 1 || field.length > 255)) {
            fail("the alpha field '" + field.name + "' must be 1 to 255 bytes wide, not " +
                 std::to_string(field.length));
        }
        recordSize += field.kind == DesktopFieldKind::Alpha
                          ? field.length
                          : DesktopTypeFromCode(DesktopTypeCode(field.kind))->minSize;
    }
    if (recordSize > 32 * 1024 - kBlockHeadSize) fail("the record is too large for a table");
    const std::string tableName = std::filesystem::path(path).filename().string();
    if (tableName.empty() || tableName.size() > 255) fail("the file name is not a table name");

    std::FILE* file = std::fopen(path.c_str(), "w+bx");
    if (file == nullptr) {
        if (errno == EEXIST) fail("the file already exists");
        fail("cannot create the file: " + ErrnoText());
    }
    std::string messages;
    PxDoc doc;
    const auto abandon = [&](const std::string& detail) {
        doc.reset();  // pxlib may still write to the file while it lets go of it
        std::fclose(file);
        std::remove(path.c_str());
        fail(detail);
    };
    doc.reset(PX_new3(CollectPxMessage, nullptr, nullptr, nullptr, &messages));
    if (!doc) abandon("pxlib could not start: " + messages);
    // pxlib takes the field list and frees it with the document.
    auto* list = static_cast<pxfield_t*>(
        doc->malloc(doc.get(), fields.size() * sizeof(pxfield_t), "field list of a new table"));
    if (list == nullptr) abandon("out of memory");
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const DesktopNewField& field = fields[i];
        list[i].px_fname = PX_strdup(doc.get(), field.name.c_str());
        list[i].px_ftype = static_cast<char>(DesktopTypeCode(field.kind));
        list[i].px_flen = field.kind == DesktopFieldKind::Alpha
                              ? field.length
                              : DesktopTypeFromCode(DesktopTypeCode(field.kind))->minSize;
        list[i].px_fdc = 0;
    }
    if (PX_create_fp(doc.get(), list, static_cast<int>(fields.size()), file, pxfFileTypNonIndexDB) <
        0) {
        abandon("pxlib could not create the table: " + messages);
    }
    // No block exists yet, so the block size can still be chosen; the two
    // header writes below store it.
    doc->px_head->px_maxtablesize = BlockKilobytesFor(recordSize);
    if (PX_set_tablename(doc.get(), tableName.c_str()) < 0 ||
        PX_set_value(doc.get(), "codepage", static_cast<float>(codePage)) < 0) {
        abandon("pxlib could not write the header: " + messages);
    }
    doc.reset();
    if (std::fflush(file) != 0 || fsync(fileno(file)) != 0) {
        abandon("writing the new table failed: " + ErrnoText());
    }
    if (std::fclose(file) != 0) {
        std::remove(path.c_str());
        fail("writing the new table failed: " + ErrnoText());
    }
}

// --- Reading -----------------------------------------------------------------

void DesktopFile::ReadRecord(int recno, char* out) {
    CheckUsable();
    if (recno < 0 || recno >= recordCount_) {
        Fail("record " + std::to_string(recno) + " does not exist (the table has " +
             std::to_string(recordCount_) + ")");
    }
    const auto [position, slot] = Position(recno);
    ReadAt(BlockOffset(chain_[position].number) + kBlockHeadSize +
               static_cast<long long>(slot) * recordSize_,
           out, static_cast<std::size_t>(recordSize_));
}

void DesktopFile::ForEachRecord(const std::function<void(int, const char*)>& visit) {
    CheckUsable();
    std::string block;
    for (std::size_t position = 0; position < chain_.size(); ++position) {
        const Block& entry = chain_[position];
        if (entry.count == 0) continue;
        block.resize(static_cast<std::size_t>(entry.count) * recordSize_);
        ReadAt(BlockOffset(entry.number) + kBlockHeadSize, block.data(), block.size());
        for (int slot = 0; slot < entry.count; ++slot) {
            visit(chainStart_[position] + slot, block.data() + slot * recordSize_);
        }
    }
}

// --- Writing -----------------------------------------------------------------

std::int32_t DesktopFile::NextAutoIncrement() {
    CheckWritable();
    if (autoIncrement_ == INT32_MAX) Fail("the autoincrement counter is exhausted");
    return ++autoIncrement_;
}

int DesktopFile::AppendRecord(const char* record) {
    CheckWritable();
    if (!chain_.empty() && chain_.back().count < recordsPerBlock_) {
        const std::size_t position = chain_.size() - 1;
        Block& last = chain_.back();
        WriteAt(BlockOffset(last.number) + kBlockHeadSize +
                    static_cast<long long>(last.count) * recordSize_,
                record, static_cast<std::size_t>(recordSize_));
        WriteBlockHead(last.number, 0, PreviousInChain(position), last.count + 1);
        ++last.count;
    } else {
        if (totalBlocks_ >= kMaxBlockNumber) Fail("the table has no room for another block");
        const int number = totalBlocks_ + 1;
        const int previous = chain_.empty() ? 0 : chain_.back().number;
        std::string& block = Hold(number);
        std::fill(block.begin(), block.end(), '\0');
        PutU16(block.data(), 0);
        PutU16(block.data() + 2, static_cast<unsigned>(previous));
        PutU16(block.data() + 4, 0);  // one record: the last one starts at 0
        std::memcpy(block.data() + kBlockHeadSize, record, static_cast<std::size_t>(recordSize_));
        if (!chain_.empty()) {
            WriteBlockHead(previous, number, PreviousInChain(chain_.size() - 1),
                           chain_.back().count);
        } else {
            firstBlock_ = number;
        }
        ++totalBlocks_;
        ++blocksInUse_;
        maxBlocks_ = std::max(maxBlocks_, totalBlocks_);
        lastBlock_ = number;
        chain_.push_back({number, 1});
        chainStart_.push_back(recordCount_);
    }
    ++recordCount_;
    WriteCounters();
    AfterChange();
    return recordCount_ - 1;
}

void DesktopFile::UpdateRecord(int recno, const char* record) {
    CheckWritable();
    if (recno < 0 || recno >= recordCount_) Fail("record " + std::to_string(recno) + " is gone");
    const auto [position, slot] = Position(recno);
    WriteAt(BlockOffset(chain_[position].number) + kBlockHeadSize +
                static_cast<long long>(slot) * recordSize_,
            record, static_cast<std::size_t>(recordSize_));
    AfterChange();
}

void DesktopFile::DeleteRecord(int recno) {
    CheckWritable();
    if (recno < 0 || recno >= recordCount_) Fail("record " + std::to_string(recno) + " is gone");
    const auto [position, slot] = Position(recno);
    Block& entry = chain_[position];
    if (entry.count > 1) {
        // The later records of the block move up by one.
        const int later = entry.count - slot - 1;
        if (later > 0) {
            std::string& block = Hold(entry.number);
            char* data = block.data() + kBlockHeadSize;
            std::memmove(data + static_cast<std::ptrdiff_t>(slot) * recordSize_,
                         data + static_cast<std::ptrdiff_t>(slot + 1) * recordSize_,
                         static_cast<std::size_t>(later) * recordSize_);
        }
        WriteBlockHead(entry.number, NextInChain(position), PreviousInChain(position),
                       entry.count - 1);
        --entry.count;
    } else {
        entry.count = 0;
        RemoveEmptyBlock(position);
    }
    --recordCount_;
    WriteCounters();
    RenumberChain(position);
    AfterChange();
}

void DesktopFile::RemoveEmptyBlock(std::size_t position) {
    while (chain_.size() > 1 && chain_[position].count == 0) {
        if (position == 0) {
            // The chain keeps starting at the first block: the next block's
            // records move into it and the next block leaves the chain.
            const Block first = chain_[0];
            const Block second = chain_[1];
            std::string records(static_cast<std::size_t>(second.count) * recordSize_, '\0');
            ReadAt(BlockOffset(second.number) + kBlockHeadSize, records.data(), records.size());
            WriteAt(BlockOffset(first.number) + kBlockHeadSize, records.data(), records.size());
            const int after = NextInChain(1);
            WriteBlockHead(first.number, after, 0, second.count);
            if (after != 0) {
                WriteBlockHead(after, NextInChain(2), first.number, chain_[2].count);
            } else {
                lastBlock_ = first.number;
            }
            WriteBlockHead(second.number, 0, 0, 0);
            chain_[0].count = second.count;
            chain_.erase(chain_.begin() + 1);
        } else {
            const int number = chain_[position].number;
            const int before = chain_[position - 1].number;
            const int after = NextInChain(position);
            WriteBlockHead(before, after, PreviousInChain(position - 1),
                           chain_[position - 1].count);
            if (after != 0) {
                WriteBlockHead(after, NextInChain(position + 1), before,
                               chain_[position + 1].count);
            } else {
                lastBlock_ = before;
            }
            WriteBlockHead(number, 0, 0, 0);
            chain_.erase(chain_.begin() + static_cast<std::ptrdiff_t>(position));
            return;
        }
    }
    if (chain_.size() == 1 && chain_[0].count == 0) {
        WriteBlockHead(chain_[0].number, 0, 0, 0);
    }
}

void DesktopFile::Flush() {
    if (!writable_) return;
    CheckUsable();
    if (journal_ == nullptr) WriteHeld();
}

void DesktopFile::Sync() {
    if (!writable_) return;
    CheckUsable();
    if (journal_ != nullptr) {
        journal_->Checkpoint();
    } else {
        WriteHeld();
    }
    SyncWritten();
}

void DesktopFile::Close() {
    if (fd_ < 0) return;
    std::string problem;
    if (writable_ && !broken_) {
        try {
            if (journal_ != nullptr) {
                journal_->Checkpoint();
                SyncWritten();
            } else {
                WriteHeld();
            }
        } catch (const DesktopTableError& error) {
            problem = error.what();
        }
    }
    if (journal_ != nullptr) journal_->Forget(this);
    journal_ = nullptr;
    if (close(fd_) != 0 && problem.empty())
        problem = TableMessage(path_, "closing the file failed: " + ErrnoText());
    fd_ = -1;
    if (!problem.empty()) throw DesktopTableError(problem);
}

// --- Under a journal ------------------------------------------------------------

void DesktopFile::AttachJournal(DesktopJournal* journal) {
    CheckWritable();
    WriteHeld();
    journal_ = journal;
    originalLength_ = fileSize_;
    saved_.clear();
    originals_.clear();
}

void DesktopFile::DetachJournal() {
    journal_ = nullptr;
    saved_.clear();
    originals_.clear();
}

std::vector<DesktopFile::Original> DesktopFile::TakeOriginals() {
    std::vector<Original> taken;
    taken.swap(originals_);
    return taken;
}

void DesktopFile::WriteHeld() {
    CheckUsable();
    // Blocks past the file's end go first and the header last, so that a
    // write that fails part-way (a full disk) leaves nothing that refers to a
    // block that is not there. Runs of neighbouring blocks go out with one
    // call each.
    const auto fresh = held_.lower_bound(
        static_cast<int>(std::max<long long>(0, fileSize_ - headerSize_) / blockSize_) + 1);
    WriteBlocks(fresh, held_.end());
    WriteBlocks(held_.begin(), fresh);
    held_.clear();
    heldBytes_ = 0;
    if (headerHeld_) {
        const int error = desktop_io::WriteAt(fd_, head_.data(), head_.size(), 0);
        if (error != 0) FailWrite("writing failed", error);
        written_ = true;
        headerHeld_ = false;
    }
}

void DesktopFile::WriteBlocks(std::map<int, std::string>::iterator from,
                              std::map<int, std::string>::iterator to) {
    std::string run;
    while (from != to) {
        const int first = from->first;
        int last = first;
        run = from->second;
        for (++from; from != to && from->first == last + 1; ++from) {
            run += from->second;
            ++last;
        }
        const long long offset = BlockOffset(first);
        const int error =
            desktop_io::WriteAt(fd_, run.data(), run.size(), static_cast<off_t>(offset));
        if (error != 0) FailWrite("writing failed", error);
        written_ = true;
        fileSize_ = std::max(fileSize_, offset + static_cast<long long>(run.size()));
    }
}

void DesktopFile::SyncWritten() {
    if (!written_) return;
    const int error = desktop_io::SyncFile(fd_);
    if (error != 0) FailWrite("writing the changes to the disk failed", error);
}

void DesktopFile::Abandon(const std::string& reason) {
    held_.clear();
    heldBytes_ = 0;
    headerHeld_ = false;
    originals_.clear();
    journal_ = nullptr;
    broken_ = true;
    brokenReason_ = reason;
}

// --- Helpers -------------------------------------------------------------------

void DesktopFile::Fail(const std::string& detail) const {
    throw DesktopTableError(TableMessage(path_, detail));
}

void DesktopFile::FailWrite(const std::string& what, int error) {
    broken_ = true;
    brokenReason_ = "an earlier write failed; the table must be closed and opened again";
    Fail(what + ": " + std::strerror(error));
}

void DesktopFile::CheckUsable() const {
    if (fd_ < 0) Fail("the table is closed");
    if (broken_) Fail(brokenReason_);
}

void DesktopFile::CheckWritable() const {
    CheckUsable();
    if (!writable_) Fail("the table is open for reading only");
}

long long DesktopFile::BlockOffset(int number) const {
    return headerSize_ + static_cast<long long>(number - 1) * blockSize_;
}

void DesktopFile::ReadFromDisk(long long offset, char* out, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = pread(fd_, out + done, size - done,
                                  static_cast<off_t>(offset) + static_cast<off_t>(done));
        if (got < 0) {
            if (errno == EINTR) continue;
            Fail("reading failed: " + ErrnoText());
        }
        if (got == 0) {
            Fail("the file ends before byte " +
                 std::to_string(offset + static_cast<long long>(size)) + " (it was truncated)");
        }
        done += static_cast<std::size_t>(got);
    }
}

void DesktopFile::ReadAt(long long offset, char* out, std::size_t size) {
    // The header is never held as bytes; data ranges go block by block.
    if (held_.empty() || offset < headerSize_) {
        ReadFromDisk(offset, out, size);
        return;
    }
    while (size > 0) {
        const int number = static_cast<int>((offset - headerSize_) / blockSize_) + 1;
        const long long within = offset - BlockOffset(number);
        const std::size_t part = std::min(size, static_cast<std::size_t>(blockSize_ - within));
        const auto it = held_.find(number);
        if (it != held_.end()) {
            std::memcpy(out, it->second.data() + within, part);
        } else {
            ReadFromDisk(offset, out, part);
        }
        out += part;
        offset += static_cast<long long>(part);
        size -= part;
    }
}

std::string& DesktopFile::Hold(int number) {
    const auto found = held_.find(number);
    if (found != held_.end()) return found->second;
    const long long offset = BlockOffset(number);
    std::string block(static_cast<std::size_t>(blockSize_), '\0');
    const long long onDisk = std::clamp<long long>(fileSize_ - offset, 0, blockSize_);
    if (onDisk > 0) ReadFromDisk(offset, block.data(), static_cast<std::size_t>(onDisk));
    if (journal_ != nullptr && offset < originalLength_ && saved_.insert(number).second) {
        const long long original = std::min<long long>(blockSize_, originalLength_ - offset);
        originals_.push_back({offset, block.substr(0, static_cast<std::size_t>(original))});
    }
    heldBytes_ += block.size();
    return held_.emplace(number, std::move(block)).first->second;
}

void DesktopFile::WriteAt(long long offset, const char* data, std::size_t size) {
    while (size > 0) {
        const int number = static_cast<int>((offset - headerSize_) / blockSize_) + 1;
        const long long within = offset - BlockOffset(number);
        const std::size_t part = std::min(size, static_cast<std::size_t>(blockSize_ - within));
        std::memcpy(Hold(number).data() + within, data, part);
        data += part;
        offset += static_cast<long long>(part);
        size -= part;
    }
}

void DesktopFile::WriteBlockHead(int number, int next, int previous, int count) {
    char head[kBlockHeadSize];
    PutU16(head, static_cast<unsigned>(next));
    PutU16(head + 2, static_cast<unsigned>(previous));
    PutU16(head + 4, static_cast<unsigned>((count - 1) * recordSize_) & 0xFFFF);
    WriteAt(BlockOffset(number), head, sizeof head);
}

void DesktopFile::WriteCounters() {
    if (journal_ != nullptr && saved_.insert(0).second) {
        std::string original(head_.size(), '\0');
        ReadFromDisk(0, original.data(), original.size());
        originals_.push_back({0, std::move(original)});
    }
    PutU32(head_.data() + kRecordCountAt, static_cast<std::uint32_t>(recordCount_));
    PutU16(head_.data() + kBlocksInUseAt, static_cast<unsigned>(blocksInUse_));
    PutU16(head_.data() + kTotalBlocksAt, static_cast<unsigned>(totalBlocks_));
    PutU16(head_.data() + kFirstBlockAt, static_cast<unsigned>(firstBlock_));
    PutU16(head_.data() + kLastBlockAt, static_cast<unsigned>(lastBlock_));
    PutU16(head_.data() + kMaxBlocksAt, static_cast<unsigned>(maxBlocks_));
    PutU32(head_.data() + kAutoIncrementAt, static_cast<std::uint32_t>(autoIncrement_));
    headerHeld_ = true;
}

void DesktopFile::AfterChange() {
    if (journal_ != nullptr) {
        journal_->HeldGrew();
    } else if (heldBytes_ > kHeldLimit) {
        WriteHeld();
    }
}

std::pair<std::size_t, int> DesktopFile::Position(int recno) const {
    // The last chain block whose first record is at or before `recno` and
    // that holds records.
    auto it = std::upper_bound(chainStart_.begin(), chainStart_.end(), recno);
    std::size_t position = static_cast<std::size_t>(it - chainStart_.begin()) - 1;
    while (chain_[position].count == 0) --position;
    return {position, recno - chainStart_[position]};
}

int DesktopFile::NextInChain(std::size_t position) const {
    return position + 1 < chain_.size() ? chain_[position + 1].number : 0;
}

int DesktopFile::PreviousInChain(std::size_t position) const {
    return position > 0 ? chain_[position - 1].number : 0;
}

void DesktopFile::RenumberChain(std::size_t from) {
    chainStart_.resize(chain_.size());
    from = std::min(from, chain_.size());
    int start = from == 0 ? 0 : chainStart_[from - 1] + chain_[from - 1].count;
    for (std::size_t i = from; i < chain_.size(); ++i) {
        chainStart_[i] = start;
        start += chain_[i].count;
    }
}

}  // namespace rubso
