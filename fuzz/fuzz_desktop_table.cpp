// Damaged desktop tables: opening a table file, reading every record and
// writing to it (a record appended, the first one changed, one deleted)
// either works or raises DesktopTableError. A table the layer has written
// opens again and holds the records it should.

#include <QDateTime>
#include <string>

#include "db/desktop/desktop_table.h"
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

// Gives the field a value of its kind; autoincrement and unread kinds are
// left alone.
void SetSample(DesktopTable& table, const DesktopField& field) {
    const QDateTime moment(QDate(2024, 5, 17), QTime(12, 30));
    switch (field.kind) {
        case DesktopFieldKind::Alpha:
            table.SetText(field.name, "X");
            break;
        case DesktopFieldKind::Short:
        case DesktopFieldKind::Long:
        case DesktopFieldKind::Number:
        case DesktopFieldKind::Currency:
            table.SetInteger(field.name, 7);
            break;
        case DesktopFieldKind::Date:
        case DesktopFieldKind::Time:
        case DesktopFieldKind::Timestamp:
            table.SetDateTime(field.name, moment);
            break;
        case DesktopFieldKind::Logical:
            table.SetBoolean(field.name, true);
            break;
        case DesktopFieldKind::AutoInc:
        case DesktopFieldKind::Other:
            break;
    }
}

// Appends a record, changes the first and deletes it; the record count of
// the table before.
int Write(const std::string& path) {
    DesktopTable table;
    table.Open(path, DesktopOpenMode::ReadWrite);
    const int count = table.RecordCount();
    table.Append();
    for (const DesktopField& field : table.Fields()) SetSample(table, field);
    table.Post();
    table.First();
    table.Edit();
    SetSample(table, table.Fields().front());
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
