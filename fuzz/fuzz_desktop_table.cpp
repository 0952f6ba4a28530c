// Damaged desktop tables: opening a table file, reading every record and
// writing to it (a record appended, the first one rewritten, one deleted)
// either works or raises DesktopTableError. A table the layer has written
// opens again and holds the records it should.

#include <string>

#include "db/desktop/desktop_table.h"
#include "fuzz/desktop_samples.h"
#include "fuzz/fuzz_support.h"

using namespace rubso;
using namespace rubso::fuzz;

namespace {

int ReadEveryRecord(DesktopTable& table) {
    int count = 0;
    for (table.First(); !table.Eof(); table.Next()) {
        table.Values();
        for (const DesktopField& field : table.Fields()) {
            table.AsText(field.name);
            table.IsNull(field.name);
        }
        ++count;
    }
    return count;
}

// Appends a record, rewrites the first and deletes it; the record count of
// the table before.
int Write(const std::string& path) {
    DesktopTable table;
    table.Open(path, DesktopOpenMode::ReadWrite);
    const int count = table.RecordCount();
    AppendSampleRecords(table, 1);
    table.First();
    table.Edit();
    table.Post();
    table.First();
    table.Delete();
    table.Close();
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = WriteScratchFile("T.db", Bytes(data, size));
    int count = 0;
    try {
        DesktopTable table;
        table.Open(path, DesktopOpenMode::ReadOnly);
        Expect(ReadEveryRecord(table) == table.RecordCount(), "every counted record is read");
        table.Close();
        count = Write(path);
    } catch (const DesktopTableError&) {
        return 0;
    }
    try {
        DesktopTable table;
        table.Open(path, DesktopOpenMode::ReadOnly);
        Expect(table.RecordCount() == count, "a record appended and one deleted");
        Expect(ReadEveryRecord(table) == count, "every written record is read");
    } catch (const DesktopTableError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        Broken("a table the layer wrote opens again");
    }
    return 0;
}
