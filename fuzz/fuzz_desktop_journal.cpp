// A damaged or foreign rollback journal beside the desktop tables: the
// recovery that every opening runs either restores, discards or raises
// DesktopTableError, and touches no file outside the tables' directory. The
// batches' checksums are set right before the journal is written, so the
// fuzzer reaches their contents.

#include <zlib.h>

#include <filesystem>
#include <set>
#include <string>

#include "db/desktop/desktop_journal.h"
#include "db/desktop/desktop_table.h"
#include "fuzz/desktop_samples.h"
#include "fuzz/fuzz_support.h"

using namespace rubso;
using namespace rubso::fuzz;

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMagic = "RUBSOJ01";
constexpr std::string_view kOutside = "outside.db";

std::uint32_t Crc(const char* data, std::size_t size, std::uint32_t crc) {
    return static_cast<std::uint32_t>(
        crc32(crc, reinterpret_cast<const Bytef*>(data), static_cast<uInt>(size)));
}

std::uint32_t U32At(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// Each whole batch after the magic gets the checksum the journal's writer
// would give it.
std::string WithRightChecksums(std::string bytes) {
    if (bytes.compare(0, kMagic.size(), kMagic) != 0) return bytes;
    std::size_t at = kMagic.size();
    while (bytes.size() - at >= 8) {
        const std::size_t length = U32At(bytes, at);
        if (bytes.size() - at - 8 < length) break;
        std::uint32_t crc = Crc(bytes.data() + at + 8, length, Crc(bytes.data() + at, 4, 0));
        for (int i = 0; i < 4; ++i, crc >>= 8) bytes[at + 4 + i] = static_cast<char>(crc & 0xFF);
        at += 8 + length;
    }
    return bytes;
}

struct Scene {
    std::string tables;    // the tables' directory
    std::string table;     // its table
    std::string pristine;  // the table's bytes
    std::string outside;   // a table beside the directory
};

const Scene& TheScene() {
    static const Scene scene = [] {
        Scene made;
        made.tables = ScratchDir() + "/tables";
        made.table = made.tables + "/T.db";
        made.outside = ScratchDir() + "/" + std::string(kOutside);
        fs::create_directories(made.tables);
        MakeSampleTable(made.table, EveryKindOfField(), 3);
        made.pristine = ReadBytes(made.table);
        return made;
    }();
    return scene;
}

std::set<std::string> Entries(const std::string& directory) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Scene& scene = TheScene();
    WriteScratchFile("tables/T.db", scene.pristine);
    WriteScratchFile(kOutside, scene.pristine);
    const std::string journal = DesktopJournal::PathIn(scene.tables);
    WriteScratchFile("tables/" + std::string(DesktopJournal::kFileName),
                     WithRightChecksums(std::string(Bytes(data, size))));
    try {
        RecoverInterruptedChange(scene.tables);
    } catch (const DesktopTableError&) {
    }
    Expect(ReadBytes(scene.outside) == scene.pristine &&
               Entries(ScratchDir()) == std::set<std::string>{"tables", std::string(kOutside)},
           "the recovery stays inside the tables' directory");
    std::error_code ignored;
    fs::remove(journal, ignored);
    try {
        DesktopTable table;
        table.Open(scene.table, DesktopOpenMode::ReadOnly);
        for (table.First(); !table.Eof(); table.Next()) table.Values();
    } catch (const DesktopTableError&) {
    }
    return 0;
}
