#include "db/desktop/desktop_journal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>

#include "core/codepage.h"
#include "core/operator.h"
#include "core/work_log.h"
#include "db/desktop/desktop_file.h"
#include "db/desktop/desktop_io.h"
#include "db/desktop/desktop_table.h"

namespace rubso {
namespace {

// The journal file: the magic once, then batches. A batch is its payload's
// length (u32), the CRC-32 of that length's four bytes and the payload (u32),
// and the payload: entries of
//   'L' u16 n, n bytes                      the label
//   'T' u16 id, u16 n, n bytes, u64 length  a table file and its original length
//   'P' u16 id, u64 offset, u32 n, n bytes  original bytes of a table at offset
// Numbers are little-endian.
constexpr char kMagic[] = "RUBSOJ01";
constexpr std::size_t kMagicSize = sizeof kMagic - 1;
constexpr std::size_t kBatchHeadSize = 8;

void PutNumber(std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint32_t Crc(const char* data, std::size_t size, std::uint32_t crc = 0) {
    return static_cast<std::uint32_t>(
        crc32(crc, reinterpret_cast<const Bytef*>(data), static_cast<uInt>(size)));
}

std::string JournalMessage(const std::string& path, const std::string& detail) {
    return "Desktop table journal '" + path + "': " + detail;
}

std::string FileName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

std::string InDirectory(const std::string& directory, const std::string& name) {
    return (std::filesystem::path(directory) / name).string();
}

// The journal names its tables by their file names in its own directory.
// Anything else (a path, "..") did not come from this program's writer, and
// restoring it would write to a file outside the directory.
bool IsPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

// Reads little-endian numbers and byte runs from a payload; `ok` turns false
// when the payload ends too early.
class Reader {
  public:
    Reader(const char* data, std::size_t size) : data_(data), size_(size) {}
    bool AtEnd() const { return at_ >= size_; }
    bool ok() const { return ok_; }
    std::uint64_t Number(int bytes) {
        if (!Take(static_cast<std::size_t>(bytes))) return 0;
        std::uint64_t value = 0;
        for (int i = bytes - 1; i >= 0; --i) {
            value = (value << 8) | static_cast<unsigned char>(data_[at_ - bytes + i]);
        }
        return value;
    }
    std::string Bytes(std::size_t count) {
        if (!Take(count)) return {};
        return std::string(data_ + at_ - count, count);
    }

  private:
    bool Take(std::size_t count) {
        if (!ok_ || size_ - at_ < count) {
            ok_ = false;
            return false;
        }
        at_ += count;
        return true;
    }
    const char* data_;
    std::size_t size_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

struct JournalTable {
    std::string name;
    long long length = 0;
};
struct JournalPage {
    int id;
    long long offset;
    std::string bytes;
};
struct ParsedJournal {
    std::string label;
    std::map<int, JournalTable> tables;
    std::vector<JournalPage> pages;
};

// The entries of every whole batch with a right checksum; the first batch
// that is cut short or wrong ends the reading.
ParsedJournal Parse(const std::string& path, const std::string& bytes) {
    const auto foreign = [&path] {
        throw DesktopTableError(Cp1250("Plik ") + path +
                                Cp1250(" nie jest dziennikiem tego programu; przenieś go "
                                       "(tabele obok niego nie zostały zmienione przez ten "
                                       "program) i otwórz tabele ponownie."));
    };
    ParsedJournal parsed;
    if (bytes.size() < kMagicSize) {
        if (bytes != std::string(kMagic, bytes.size())) foreign();
        return parsed;  // cut while it was created
    }
    if (bytes.compare(0, kMagicSize, kMagic) != 0) foreign();
    std::size_t at = kMagicSize;
    while (bytes.size() - at >= kBatchHeadSize) {
        Reader head(bytes.data() + at, kBatchHeadSize);
        const std::size_t length = head.Number(4);
        const std::uint32_t crc = static_cast<std::uint32_t>(head.Number(4));
        if (bytes.size() - at - kBatchHeadSize < length) break;
        const char* payload = bytes.data() + at + kBatchHeadSize;
        if (Crc(payload, length, Crc(bytes.data() + at, 4)) != crc) break;
        Reader entries(payload, length);
        while (!entries.AtEnd() && entries.ok()) {
            const char kind = static_cast<char>(entries.Number(1));
            if (kind == 'L') {
                parsed.label = entries.Bytes(entries.Number(2));
            } else if (kind == 'T') {
                const int id = static_cast<int>(entries.Number(2));
                JournalTable table;
                table.name = entries.Bytes(entries.Number(2));
                table.length = static_cast<long long>(entries.Number(8));
                if (entries.ok() && (!IsPlainFileName(table.name) || table.length < 0)) foreign();
                parsed.tables[id] = table;
            } else if (kind == 'P') {
                JournalPage page;
                page.id = static_cast<int>(entries.Number(2));
                page.offset = static_cast<long long>(entries.Number(8));
                page.bytes = entries.Bytes(entries.Number(4));
                if (parsed.tables.count(page.id) == 0 || page.offset < 0) foreign();
                parsed.pages.push_back(std::move(page));
            } else {
                foreign();
            }
        }
        if (!entries.ok()) foreign();
        at += kBatchHeadSize + length;
    }
    return parsed;
}

// The whole journal. A read error raises: taken for a cut journal it would be
// dropped with the tables still changed.
std::string ReadWhole(int fd, const std::string& path) {
    const auto fail = [&path](int error) {
        throw DesktopTableError(
            JournalMessage(path, std::string("cannot read: ") + std::strerror(error)));
    };
    struct stat status {};
    if (fstat(fd, &status) != 0) fail(errno);
    std::string bytes(static_cast<std::size_t>(status.st_size), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got =
            pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) fail(errno);
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return bytes;
}

class Descriptor {
  public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) close(fd_);
    }
    Descriptor(Descriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

// The journal's removal stands once it is done; a directory that cannot be
// synced after it only risks the journal coming back after a power loss,
// when the next opening rolls back again and says so.
void SyncDirectoryAfterRemoval(const std::string& directory, const std::string& path) {
    const int error = desktop_io::SyncDirectory(directory);
    if (error != 0) {
        WriteWorkLog(JournalMessage(path, std::string("removed, but the directory could not be "
                                                      "synced: ") +
                                              std::strerror(error)));
    }
}

// Puts the tables of the journal open as `fd` back and removes the journal.
DesktopRecovery Restore(int fd, const std::string& directory, const std::string& path) {
    const ParsedJournal parsed = Parse(path, ReadWhole(fd, path));
    DesktopRecovery recovery;
    recovery.label = parsed.label;
    const auto fail = [&](const std::string& detail) {
        throw DesktopTableError(Cp1250("Nie udało się przywrócić tabel w ") + directory +
                                Cp1250(" z dziennika ") + path + ": " + detail +
                                Cp1250(". Dziennik zostaje; tabele zostaną przywrócone przy "
                                       "następnym otwarciu."));
    };
    std::map<int, Descriptor> files;
    for (const auto& [id, table] : parsed.tables) {
        const std::string file = InDirectory(directory, table.name);
        const int tableFd = open(file.c_str(), O_RDWR | O_CLOEXEC);
        if (tableFd < 0) {
            const int error = errno;
            fail(file + ": " + std::strerror(error));
        }
        files.emplace(id, Descriptor(tableFd));
        recovery.tables.push_back(table.name);
    }
    // Each block is noted once; should one appear twice, the earlier copy is
    // the original, so it is written last.
    for (auto page = parsed.pages.rbegin(); page != parsed.pages.rend(); ++page) {
        const int error = desktop_io::WriteAt(files.at(page->id).get(), page->bytes.data(),
                                              page->bytes.size(), static_cast<off_t>(page->offset));
        if (error != 0) fail(parsed.tables.at(page->id).name + ": " + std::strerror(error));
    }
    for (const auto& [id, table] : parsed.tables) {
        const int tableFd = files.at(id).get();
        struct stat status {};
        int error = fstat(tableFd, &status) == 0 ? 0 : errno;
        if (error == 0 && status.st_size != table.length) {
            error = desktop_io::Truncate(tableFd, static_cast<off_t>(table.length));
        }
        if (error == 0) error = desktop_io::SyncFile(tableFd);
        if (error != 0) fail(table.name + ": " + std::strerror(error));
    }
    int error = desktop_io::RemoveFile(path);
    if (error != 0) fail(std::strerror(error));
    SyncDirectoryAfterRemoval(directory, path);
    recovery.outcome =
        parsed.tables.empty() ? RecoveryOutcome::Discarded : RecoveryOutcome::Restored;
    return recovery;
}

std::string JoinNames(const std::vector<std::string>& names) {
    std::string joined;
    for (const std::string& name : names) joined += (joined.empty() ? "" : ", ") + name;
    return joined;
}

}  // namespace

std::string DesktopJournal::PathIn(const std::string& directory) {
    return InDirectory(directory, kFileName);
}

DesktopJournal::DesktopJournal() = default;

DesktopJournal::~DesktopJournal() {
    try {
        Rollback();
    } catch (const std::exception& error) {
        WriteWorkLog(error.what());
    }
}

void DesktopJournal::Begin(const std::string& directory, const std::string& label) {
    if (active_) throw DesktopTableError(JournalMessage(path_, "a change is already in progress"));
    const std::string path = PathIn(directory);
    if (access(path.c_str(), F_OK) == 0) {
        throw DesktopTableError(Cp1250("W katalogu ") + directory +
                                Cp1250(" leży dziennik innego zapisu (") + kFileName +
                                Cp1250("); tabel nie zmieniono."));
    }
    Reset();
    active_ = true;
    directory_ = directory;
    path_ = path;
    label_ = label;
}

void DesktopJournal::Guard(DesktopTable& table) {
    if (!active_) throw DesktopTableError(JournalMessage(path_, "no change was begun"));
    if (!table.file_) throw DesktopTableError(JournalMessage(path_, "the table is not open"));
    DesktopFile& file = *table.file_;
    std::error_code error;
    if (!std::filesystem::equivalent(std::filesystem::path(file.Path()).parent_path(), directory_,
                                     error)) {
        throw DesktopTableError(
            JournalMessage(path_, "the table " + file.Path() + " lies in another directory"));
    }
    file.AttachJournal(this);
    members_.push_back({&file, nextId_++, false});
}

void DesktopJournal::Checkpoint() {
    if (!active_) return;
    if (failed_) {
        throw DesktopTableError(JournalMessage(path_, "an earlier write failed; roll back"));
    }
    try {
        bool changed = false;
        std::vector<std::vector<DesktopFile::Original>> originals;
        for (const Member& member : members_) {
            originals.push_back(member.file->TakeOriginals());
            changed = changed || !originals.back().empty() || member.file->HeldBytes() > 0;
        }
        if (!changed) return;
        std::string payload;
        for (std::size_t i = 0; i < members_.size(); ++i) {
            Member& member = members_[i];
            const auto id = static_cast<std::uint64_t>(member.id);
            if (!member.announced) {
                const std::string name = FileName(member.file->Path());
                payload += 'T';
                PutNumber(payload, id, 2);
                PutNumber(payload, name.size(), 2);
                payload += name;
                PutNumber(payload, static_cast<std::uint64_t>(member.file->OriginalLength()), 8);
                member.announced = true;
            }
            for (const DesktopFile::Original& original : originals[i]) {
                payload += 'P';
                PutNumber(payload, id, 2);
                PutNumber(payload, static_cast<std::uint64_t>(original.offset), 8);
                PutNumber(payload, original.bytes.size(), 4);
                payload += original.bytes;
            }
        }
        if (!payload.empty()) WriteBatch(std::move(payload));
        for (const Member& member : members_) member.file->WriteHeld();
    } catch (...) {
        failed_ = true;
        throw;
    }
}

void DesktopJournal::WriteBatch(std::string payload) {
    std::string bytes;
    if (fd_ < 0) {
        fd_ = open(path_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd_ < 0) {
            const int error = errno;
            throw DesktopTableError(
                JournalMessage(path_, std::string("cannot create: ") + std::strerror(error)));
        }
        struct stat status {};
        // An opening elsewhere may have taken the empty file for a cut one
        // and removed it before the lock was taken.
        if (flock(fd_, LOCK_EX | LOCK_NB) != 0 || fstat(fd_, &status) != 0 ||
            status.st_nlink == 0) {
            throw DesktopTableError(JournalMessage(path_, "another program took the journal"));
        }
        std::string label(1, 'L');
        PutNumber(label, label_.size(), 2);
        payload.insert(0, label + label_);
    }
    if (length_ == 0) bytes.assign(kMagic, kMagicSize);
    PutNumber(bytes, payload.size(), 4);
    PutNumber(bytes, Crc(payload.data(), payload.size(), Crc(bytes.data() + bytes.size() - 4, 4)),
              4);
    bytes += payload;
    int error = desktop_io::WriteAt(fd_, bytes.data(), bytes.size(), static_cast<off_t>(length_));
    if (error == 0) error = desktop_io::SyncFile(fd_);
    if (error == 0 && length_ == 0) error = desktop_io::SyncDirectory(directory_);
    if (error != 0) {
        throw DesktopTableError(
            JournalMessage(path_, std::string("writing failed: ") + std::strerror(error)));
    }
    length_ += static_cast<long long>(bytes.size());
}

void DesktopJournal::HeldGrew() {
    std::size_t held = 0;
    for (const Member& member : members_) held += member.file->HeldBytes();
    if (held > heldLimit_) Checkpoint();
}

void DesktopJournal::Forget(DesktopFile* file) {
    members_.erase(std::remove_if(members_.begin(), members_.end(),
                                  [file](const Member& member) { return member.file == file; }),
                   members_.end());
}

void DesktopJournal::Commit() {
    if (!active_) return;
    Checkpoint();
    for (const Member& member : members_) member.file->SyncWritten();
    if (fd_ >= 0) {
        // The lock is kept until the journal is gone.
        const int error = desktop_io::RemoveFile(path_);
        if (error != 0) {
            failed_ = true;
            throw DesktopTableError(
                JournalMessage(path_, std::string("cannot remove: ") + std::strerror(error)));
        }
        close(fd_);
        fd_ = -1;
        SyncDirectoryAfterRemoval(directory_, path_);
    }
    for (const Member& member : members_) member.file->DetachJournal();
    Reset();
}

void DesktopJournal::Rollback() {
    if (!active_) return;
    for (const Member& member : members_) {
        member.file->Abandon("the change was rolled back; the table must be opened again");
    }
    const Descriptor journal(fd_);
    fd_ = -1;
    const std::string directory = directory_;
    const std::string path = path_;
    Reset();
    if (journal.get() >= 0) Restore(journal.get(), directory, path);
}

void DesktopJournal::Reset() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    active_ = false;
    failed_ = false;
    members_.clear();
    nextId_ = 0;
    length_ = 0;
}

DesktopRecovery RecoverInterruptedChange(const std::string& directory) {
    const std::string path = DesktopJournal::PathIn(directory);
    const Descriptor journal(open(path.c_str(), O_RDWR | O_CLOEXEC));
    if (journal.get() < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR) return {};
        throw DesktopTableError(Cp1250("Nie można otworzyć dziennika ") + path + ": " +
                                std::strerror(error));
    }
    struct stat status {};
    if (flock(journal.get(), LOCK_EX | LOCK_NB) != 0) {
        throw DesktopTableError(Cp1250("Tabele w ") + directory +
                                Cp1250(" zmienia właśnie inny zapis (dziennik ") + path +
                                Cp1250(" jest w użyciu); spróbuj ponownie po jego końcu."));
    }
    // Its owner may have committed between the opening and the lock.
    if (fstat(journal.get(), &status) != 0 || status.st_nlink == 0) return {};
    const DesktopRecovery recovery = Restore(journal.get(), directory, path);
    if (recovery.outcome == RecoveryOutcome::Restored) {
        const std::string message = RecoveryMessage(directory, recovery);
        WriteWorkLog(message);
        ShowMessage(message);
    } else {
        WriteWorkLog(Cp1250("Usunięto niepełny dziennik ") + path +
                     Cp1250(" (tabele nie zostały jeszcze zmienione)"));
    }
    return recovery;
}

std::string RecoveryMessage(const std::string& directory, const DesktopRecovery& recovery) {
    return Cp1250("Przywrócono tabele ") + JoinNames(recovery.tables) + Cp1250(" w ") + directory +
           Cp1250(" do stanu sprzed przerwanego przesłania dokumentu ") + recovery.label +
           Cp1250(". Dokument nie został zapisany; prześlij odczyt sprzedaży ponownie.");
}

}  // namespace rubso
