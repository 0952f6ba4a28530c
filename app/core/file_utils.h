#pragma once
// Small file functions. None of them raises on an I/O failure unless said.
// Paths are local file-system paths; directories built by the program end
// with the platform's separator.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace rubso {

// The platform's directory separator ('/' here, '\\' on Windows).
constexpr char kPathSeparator =
#ifdef _WIN32
    '\\';
#else
    '/';
#endif

// Returns `path` unchanged when it ends with ":"; otherwise appends the
// separator unless the path is empty or already ends with it. An empty
// separator means "\" when the path contains a backslash, "/" otherwise.
std::string WithTrailingSeparator(std::string_view path, std::string_view separator = {});

// Creates the directory with all missing levels; true when it exists after.
bool EnsureDir(const std::string& path);

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
bool DeleteFileIfExists(const std::string& path);

// The whole file as bytes, up to the end or a Ctrl+Z (code 26); empty when
// the file cannot be read.
std::string ReadFileText(const std::string& path);
// Creates or truncates the file and writes `text` unchanged; false on failure.
bool WriteFileText(const std::string& text, const std::string& path);

// A text file written line by line. Non-copyable; closes itself.
class TextFile {
public:
    TextFile() = default;
    ~TextFile();
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;

    bool IsOpen() const { return file_ != nullptr; }
    std::FILE* Handle() const { return file_; }

private:
    friend bool OpenTextFile(const std::string&, int, TextFile&);
    friend bool CloseTextFile(TextFile&);
    std::FILE* file_ = nullptr;
    std::string path_;
};

enum TextFileMode { kAppend = 0, kRead = 1, kRewrite = 2 };

// Opens `path`: mode 0 appends (fails when the file does not exist), 1 reads,
// 2 creates or truncates. True on success.
bool OpenTextFile(const std::string& path, int mode, TextFile& file);
// Writes the text and CR LF; false (nothing written) when the file is not open.
bool WriteTextLine(std::string_view text, TextFile& file);
bool CloseTextFile(TextFile& file);

// Appends directory + name of every file (not directory) matching the mask
// ("*" and "?", letter case ignored) in name order without regard to case;
// returns the list's total count. The directory gets a separator when it
// has none and is not empty.
int ListFiles(std::vector<std::string>& list, const std::string& directory,
              std::string_view mask);
// The number of such files.
int CountFiles(const std::string& directory, std::string_view mask);

// Last modification of the file as dd.MM.yyyy hh:mm:ss; empty when missing.
std::string FileDateText(const std::string& path);

}  // namespace rubso
