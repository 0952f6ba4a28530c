#include "register/sim/sim_memory.h"

#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <mutex>

namespace rubso::sim {
namespace {

constexpr std::size_t kHeadBytes = 64 * 1024;
constexpr std::uintmax_t kMaxStateFileSize = 64 * 1024 * 1024;
constexpr std::uintmax_t kMaxJournalFileSize = 256 * 1024 * 1024;

// The first `count` bytes of the file (fewer when it is shorter).
std::string Head(const std::filesystem::path& file, std::size_t count) {
    std::string bytes(count, '\0');
    std::ifstream in(file, std::ios::binary);
    in.read(bytes.data(), static_cast<std::streamsize>(count));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

bool Append(const std::filesystem::path& file, const std::string& bytes) {
    std::FILE* out = std::fopen(file.string().c_str(), "ab");
    if (out == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && written;
}

}  // namespace

RegisterMemory::RegisterMemory(std::filesystem::path stateFile)
    : stateFile_(std::move(stateFile)), journalFile_(JournalFilePath(stateFile_)) {}

RegisterMemory& RegisterMemory::For(const std::filesystem::path& stateFile) {
    static std::mutex mutex;
    static std::map<std::filesystem::path, std::unique_ptr<RegisterMemory>> memories;
    std::error_code error;
    std::filesystem::path key = std::filesystem::absolute(stateFile, error);
    if (error) key = stateFile;
    const std::lock_guard<std::mutex> lock(mutex);
    std::unique_ptr<RegisterMemory>& memory = memories[key];
    if (!memory) memory = std::make_unique<RegisterMemory>(key);
    return *memory;
}

RegisterMemory::Identity RegisterMemory::Identify(const std::filesystem::path& file) {
    Identity identity;
    struct stat status {};
    if (::stat(file.string().c_str(), &status) != 0) return identity;
    identity.exists = true;
    identity.size = static_cast<std::uintmax_t>(status.st_size);
#if defined(__APPLE__)
    identity.modified = status.st_mtimespec.tv_sec * 1'000'000'000LL + status.st_mtimespec.tv_nsec;
#elif defined(_WIN32)
    identity.modified = static_cast<std::int64_t>(status.st_mtime) * 1'000'000'000LL;
#else
    identity.modified = status.st_mtim.tv_sec * 1'000'000'000LL + status.st_mtim.tv_nsec;
#endif
    identity.device = static_cast<std::uint64_t>(status.st_dev);
    identity.inode = static_cast<std::uint64_t>(status.st_ino);
    return identity;
}

bool RegisterMemory::FilesUnchanged() const {
    if (!loaded_ || Identify(stateFile_) != stateIdentity_ ||
        Identify(journalFile_) != journalIdentity_) {
        return false;
    }
    // An edit that keeps the size within the clock's tick shows only in the
    // bytes themselves.
    return !stateIdentity_.exists || Head(stateFile_, kHeadBytes) == stateHead_;
}

Error RegisterMemory::ReadFiles() {
    loaded_ = false;
    state_ = RegisterState();
    stateIdentity_ = Identify(stateFile_);
    journalIdentity_ = Identify(journalFile_);
    stateHead_.clear();
    journalValid_ = 0;
    if (stateIdentity_.exists) {
        std::string text;
        if (!ReadWholeFile(stateFile_, kMaxStateFileSize, text) || !ParseStateText(text, state_)) {
            return Error::kStateUnreadable;
        }
        stateHead_ = text.substr(0, kHeadBytes);
    }
    if (journalIdentity_.exists) {
        std::string text;
        std::size_t valid = 0;
        if (!ReadWholeFile(journalFile_, kMaxJournalFileSize, text) ||
            ReplayJournal(text, state_, valid) != Error::kNone) {
            return Error::kStateUnreadable;
        }
        journalValid_ = valid;
    }
    loaded_ = true;
    return Error::kNone;
}

Error RegisterMemory::Load(RegisterState*& state) {
    if (!FilesUnchanged()) {
        if (Error e = ReadFiles(); e != Error::kNone) {
            state_ = RegisterState();
            return e;
        }
    }
    state = &state_;
    return Error::kNone;
}

Error RegisterMemory::Save(const StateEditor& editor) {
    if (editor.Lines().empty()) return Error::kNone;
    std::error_code error;
    std::filesystem::create_directories(journalFile_.parent_path(), error);
    // An entry a killed call left unfinished is cut off first, so that this
    // one starts on a line of its own.
    if (journalIdentity_.exists && journalIdentity_.size > journalValid_) {
        std::filesystem::resize_file(journalFile_, journalValid_, error);
    }
    const std::string entry = JournalEntry(editor.Lines(), state_.journalEntry + 1);
    if (error || !Append(journalFile_, entry)) {
        loaded_ = false;  // the next call reads the files: the state before this call
        return Error::kStateNotSaved;
    }
    ++state_.journalEntry;
    journalValid_ += entry.size();
    journalIdentity_ = Identify(journalFile_);
    if (!stateIdentity_.exists || journalValid_ >= stateIdentity_.size) Compact();
    return Error::kNone;
}

void RegisterMemory::Compact() {
    const std::string text = StateText(state_);
    // A failure leaves the old state file and the whole journal: the same
    // state, written again at a later call.
    if (WriteStateFile(stateFile_, text) != Error::kNone) return;
    std::error_code ignored;
    std::filesystem::remove(journalFile_, ignored);
    stateIdentity_ = Identify(stateFile_);
    journalIdentity_ = Identify(journalFile_);
    stateHead_ = text.substr(0, kHeadBytes);
    journalValid_ = 0;
}

}  // namespace rubso::sim
