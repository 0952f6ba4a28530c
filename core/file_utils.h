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

// True for an existing entry that is not a directory.
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// Removes the file (never a directory); true when no file is left at `path`.
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
// Reads the next line of a file opened for reading, without its line end (CR LF,
// LF or a lone CR). False at the end of the file or at a Ctrl+Z (code 26).
bool ReadTextLine(TextFile& file, std::string& line);
// Closes the file; false when it was not open or buffered text could not be
// written.
bool CloseTextFile(TextFile& file);

// Appends directory + name of every entry that is not a directory (hidden
// files included) whose name matches the mask ("*" any run, "?" one character,
// letter case ignored by the code page's case table; "*.*" matches every name),
// in name order without regard to case. The directory gets kPathSeparator when
// it is not empty and ends with neither "/" nor "\"; an empty directory means
// the working directory and adds no prefix. Returns the list's total count,
// entries already in it included. A missing directory adds nothing.
int ListFiles(std::vector<std::string>& list, const std::string& directory, std::string_view mask);
// The number of entries that ListFiles would add.
int CountFiles(const std::string& directory, std::string_view mask);
// True when `name` matches `mask` by the rule of ListFiles.
bool MatchesMask(std::string_view name, std::string_view mask);

// Last modification of the file, local time, as dd.MM.yyyy hh:mm:ss; empty
// when the file is missing.
std::string FileDateText(const std::string& path);

}  // namespace rubso
