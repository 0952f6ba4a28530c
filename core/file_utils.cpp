#include "core/file_utils.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/codepage.h"
#include "core/text_utils.h"

namespace fs = std::filesystem;

namespace rubso {
namespace {

constexpr char kCtrlZ = 26;

// Names of the non-directory entries of `directory` that match `mask`, in name
// order without regard to case. Every failure ends the listing quietly.
std::vector<std::string> MatchingNames(const std::string& directory, std::string_view mask) {
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(directory.empty() ? fs::path(".") : fs::path(directory), ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        if (it->is_directory(typeError)) continue;
        std::string name = it->path().filename().string();
        if (MatchesMask(name, mask)) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string upperA = UpperCase(a);
        const std::string upperB = UpperCase(b);
        // Names that differ only in case keep a fixed order too.
        return upperA != upperB ? upperA < upperB : a < b;
    });
    return names;
}

}  // namespace

std::string WithTrailingSeparator(std::string_view path, std::string_view separator) {
    if (EndsWith(path, ":")) return std::string(path);
    std::string_view sep = separator;
    if (sep.empty()) sep = path.find('\\') != std::string_view::npos ? "\\" : "/";
    std::string out(path);
    if (!out.empty() && !EndsWith(out, sep)) out.append(sep);
    return out;
}

bool EnsureDir(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    if (!fs::is_directory(path, ec)) fs::create_directories(path, ec);
    return DirectoryExists(path);
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return fs::exists(path, ec) && !fs::is_directory(path, ec);
}

bool DirectoryExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

bool DeleteFileIfExists(const std::string& path) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) return false;
    fs::remove(path, ec);
    return !FileExists(path);
}

std::string ReadFileText(const std::string& path) {
    std::string text;
    if (DirectoryExists(path)) return text;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return text;
    char buffer[8192];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof(buffer), file)) > 0) {
        text.append(buffer, count);
    }
    std::fclose(file);
    // The old end-of-file mark: whatever follows it is not part of the text.
    const std::size_t end = text.find(kCtrlZ);
    if (end != std::string::npos) text.resize(end);
    return text;
}

bool WriteFileText(const std::string& text, const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

TextFile::~TextFile() {
    CloseTextFile(*this);
}

bool OpenTextFile(const std::string& path, int mode, TextFile& file) {
    if (file.IsOpen()) CloseTextFile(file);
    file.path_ = path;
    const char* how = nullptr;
    switch (mode) {
        case kAppend:
            // Appending never creates the file: a missing file is a failure.
            if (!FileExists(path)) return false;
            how = "ab";
            break;
        case kRead:
            if (DirectoryExists(path)) return false;
            how = "rb";
            break;
        case kRewrite:
            how = "wb";
            break;
        default:
            return false;
    }
    file.file_ = std::fopen(path.c_str(), how);
    return file.IsOpen();
}

bool WriteTextLine(std::string_view text, TextFile& file) {
    if (!file.IsOpen()) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file.Handle()) == text.size();
    return std::fwrite("\r\n", 1, 2, file.Handle()) == 2 && written;
}

bool ReadTextLine(TextFile& file, std::string& line) {
    line.clear();
    if (!file.IsOpen()) return false;
    std::FILE* handle = file.Handle();
    bool any = false;
    while (true) {
        const int c = std::fgetc(handle);
        if (c == EOF) return any;
        if (c == kCtrlZ) {
            // Left in place, so every later read stops here too.
            std::ungetc(c, handle);
            return any;
        }
        any = true;
        if (c == '\n') return true;
        if (c == '\r') {
            const int next = std::fgetc(handle);
            if (next != '\n' && next != EOF) std::ungetc(next, handle);
            return true;
        }
        line.push_back(static_cast<char>(c));
    }
}

bool CloseTextFile(TextFile& file) {
    if (!file.IsOpen()) return false;
    const bool closed = std::fclose(file.file_) == 0;
    file.file_ = nullptr;
    return closed;
}

bool MatchesMask(std::string_view name, std::string_view mask) {
    if (mask == "*.*") return true;
    // Greedy match with one back-up point: the latest "*".
    std::size_t n = 0;
    std::size_t m = 0;
    std::size_t starMask = std::string_view::npos;
    std::size_t starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (m < mask.size() &&
                   (mask[m] == '?' || UpperChar(mask[m]) == UpperChar(name[n]))) {
            ++m;
            ++n;
        } else if (starMask != std::string_view::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

int ListFiles(std::vector<std::string>& list, const std::string& directory, std::string_view mask) {
    std::string prefix = directory;
    if (!prefix.empty() && !EndsWith(prefix, "/") && !EndsWith(prefix, "\\")) {
        prefix.push_back(kPathSeparator);
    }
    for (const std::string& name : MatchingNames(directory, mask)) list.push_back(prefix + name);
    return static_cast<int>(list.size());
}

int CountFiles(const std::string& directory, std::string_view mask) {
    return static_cast<int>(MatchingNames(directory, mask).size());
}

std::string FileDateText(const std::string& path) {
    const QFileInfo info(QFile::decodeName(QByteArray::fromStdString(path)));
    if (!info.exists() || info.isDir()) return {};
    const QDateTime modified = info.lastModified();
    return DateText(modified.date()) + " " + TimeText(modified.time());
}

}  // namespace rubso
