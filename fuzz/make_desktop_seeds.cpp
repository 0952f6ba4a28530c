// Writes the seeds of the table layer's fuzz targets:
//   make_desktop_seeds TABLE_SEED_DIR JOURNAL_SEED_DIR
// Tables: an empty one, one with a field of every kind the layer writes, and
// one whose records fill several blocks. Journal: the journal of a change
// to the sample table of fuzz_desktop_journal, as a process killed after
// its checkpoint leaves it.

#include <cstdio>
#include <filesystem>
#include <string>

#include "db/desktop/desktop_journal.h"
#include "fuzz/desktop_samples.h"

using namespace rubso;
using namespace rubso::fuzz;

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_desktop_seeds TABLE_SEED_DIR JOURNAL_SEED_DIR\n");
        return 2;
    }
    const std::string tables = argv[1];
    const std::string journals = argv[2];
    fs::create_directories(tables);
    fs::create_directories(journals);
    MakeSampleTable(tables + "/empty.db", EveryKindOfField(), 0);
    MakeSampleTable(tables + "/every_kind.db", EveryKindOfField(), 3);
    // Wide records: a handful per block, so three blocks hold them.
    MakeSampleTable(tables + "/blocks.db",
                    {{"Opis", DesktopFieldKind::Alpha, 255}, {"Kod", DesktopFieldKind::Long, 0}},
                    40);

    const std::string work = journals + "/work";
    fs::create_directories(work);
    MakeSampleTable(work + "/T.db", EveryKindOfField(), 3);
    DesktopJournal journal;
    journal.Begin(work, "WZ 1/2024");
    DesktopTable table;
    table.Open(work + "/T.db", DesktopOpenMode::ReadWrite);
    journal.Guard(table);
    table.First();
    table.Edit();
    table.SetText("Nazwa", "Zmieniony");
    table.Post();
    AppendSampleRecords(table, 20);
    journal.Checkpoint();
    fs::copy_file(DesktopJournal::PathIn(work), journals + "/change.jnl");
    journal.Rollback();
    table.Close();
    fs::remove_all(work);
    return 0;
}
