#pragma once
// What the fuzz targets share: a scratch directory of the process's own for
// the targets whose parser reads a file, and a stop on a broken promise (a
// crash for libFuzzer, which keeps the input that caused it).

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace rubso::fuzz {

inline std::string_view Bytes(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

[[noreturn]] inline void Broken(const char* promise) {
    std::fprintf(stderr, "Broken promise: %s\n", promise);
    std::abort();
}

inline void Expect(bool condition, const char* promise) {
    if (!condition) Broken(promise);
}

// Made on first use under $TMPDIR, or else in memory (/dev/shm) where the
// system has it, so that the settings file's fsync costs nothing; removed
// when the process ends normally.
inline const std::string& ScratchDir() {
    static const std::string directory = [] {
        const char* tmpdir = std::getenv("TMPDIR");
        std::string base = tmpdir != nullptr && *tmpdir != '\0' ? tmpdir : "/tmp";
        std::error_code ignored;
        if (tmpdir == nullptr && std::filesystem::is_directory("/dev/shm", ignored)) {
            base = "/dev/shm";
        }
        std::string pattern = base + "/rubso-fuzz-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) Broken("a scratch directory can be made");
        return pattern;
    }();
    static const bool cleanup = [] {
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(ScratchDir(), ignored);
        });
        return true;
    }();
    static_cast<void>(cleanup);
    return directory;
}

// Writes `bytes` as the scratch file `name` and returns its path.
inline std::string WriteScratchFile(std::string_view name, std::string_view bytes) {
    const std::string path = ScratchDir() + "/" + std::string(name);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) Broken("a scratch file can be written");
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written) Broken("a scratch file can be written");
    return path;
}

// The file's bytes, all of them; empty when it cannot be read.
inline std::string ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

}  // namespace rubso::fuzz
