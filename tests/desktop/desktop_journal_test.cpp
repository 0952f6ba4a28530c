// What an opening makes of a journal found beside a table: a whole one puts
// the original bytes back, one cut or damaged before its first whole batch
// changed nothing and is dropped, a foreign file (or one naming a file
// outside its directory) is refused. A header that lags behind its blocks is
// named with its repair, and the repair rebuilds it. A damaged number field
// never reads as a made-up number.

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <functional>
#include <numeric>

#include "core/codepage.h"
#include "db/desktop/desktop_file.h"
#include "db/desktop/desktop_journal.h"
#include "db/desktop/desktop_table.h"
#include "tests/desktop/desktop_test_support.h"
#include "tests/support/temp_dir.h"

namespace rubso {
namespace {

using test::Contains;
using test::ErrorOf;
using test::KodColumn;
using test::LayoutOf;
using test::MakeKody;
using test::PutU16At;
using test::ReadFileBytes;
using test::WriteFileBytes;
using Kods = std::vector<long long>;

class DesktopJournalTest : public ::testing::Test {
  protected:
    // Kody 1..20 in `table_`; then, under a journal, deletes Kod 3 and
    // appends 21..40 and writes it all (a checkpoint). Keeps the table's
    // bytes before and after and the journal's bytes, and rolls back.
    DesktopJournalTest() {
        MakeKody(path_, 20);
        before_ = ReadFileBytes(path_);
        DesktopTable table;
        table.Open(path_, DesktopOpenMode::ReadWrite);
        journal_.Begin(dir_.Path(), "WZ/7");
        journal_.Guard(table);
        table.Locate("Kod", {std::int64_t{3}});
        table.Delete();
        for (int kod = 21; kod <= 40; ++kod) {
            table.Append();
            table.SetInteger("Kod", kod);
            table.Post();
        }
        journal_.Checkpoint();
        changed_ = ReadFileBytes(path_);
        journalBytes_ = ReadFileBytes(journalPath_);
        journal_.Rollback();
    }

    test::TempDir dir_;
    std::string path_ = dir_.File("Maga.db");
    std::string journalPath_ = DesktopJournal::PathIn(dir_.Path());
    DesktopJournal journal_;
    std::string before_, changed_, journalBytes_;
};

TEST_F(DesktopJournalTest, ARollbackPutsBackTheBytesAndTheLengthAndRemovesTheJournal) {
    EXPECT_NE(before_, changed_);
    EXPECT_GT(changed_.size(), before_.size());
    EXPECT_EQ(before_, ReadFileBytes(path_));
    EXPECT_FALSE(std::filesystem::exists(journalPath_));
}

TEST_F(DesktopJournalTest, AnOpeningThatFindsAWholeJournalRollsBackFirst) {
    WriteFileBytes(path_, changed_);
    WriteFileBytes(journalPath_, journalBytes_);
    const DesktopRecovery recovery = RecoverInterruptedChange(dir_.Path());
    EXPECT_EQ(RecoveryOutcome::Restored, recovery.outcome);
    EXPECT_EQ("WZ/7", recovery.label);
    EXPECT_EQ(std::vector<std::string>{"Maga.db"}, recovery.tables);
    EXPECT_EQ(before_, ReadFileBytes(path_));
    EXPECT_FALSE(std::filesystem::exists(journalPath_));
}

TEST_F(DesktopJournalTest, AJournalCutOrDamagedInItsOnlyBatchChangedNothingAndIsDropped) {
    for (std::size_t at = 0; at < journalBytes_.size(); at += 97) {
        for (const bool cut : {true, false}) {
            SCOPED_TRACE((cut ? "cut at " : "flipped at ") + std::to_string(at));
            std::string damaged = journalBytes_;
            if (cut) {
                damaged.resize(at);
            } else {
                damaged[std::max<std::size_t>(at, 8)] ^= 0x40;
            }
            WriteFileBytes(journalPath_, damaged);
            EXPECT_EQ(RecoveryOutcome::Discarded, RecoverInterruptedChange(dir_.Path()).outcome);
            EXPECT_EQ(before_, ReadFileBytes(path_));
            EXPECT_FALSE(std::filesystem::exists(journalPath_));
        }
    }
}

TEST_F(DesktopJournalTest, AForeignFileNamedLikeTheJournalIsRefusedAndKept) {
    WriteFileBytes(journalPath_, "not a journal of ours");
    DesktopTable table;
    EXPECT_TRUE(Contains(ErrorOf([&] { table.Open(path_, DesktopOpenMode::ReadOnly); }),
                         "nie jest dziennikiem"));
    EXPECT_TRUE(std::filesystem::exists(journalPath_));
}

// A journal made by hand: its one batch puts `bytes` at offset 0 of `table`,
// with a right checksum.
std::string HandMadeJournal(const std::string& table, const std::string& bytes) {
    const auto number = [](std::uint64_t value, int size) {
        std::string out;
        for (int i = 0; i < size; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
        return out;
    };
    const std::string payload = "T" + number(0, 2) + number(table.size(), 2) + table +
                                number(bytes.size(), 8) + "P" + number(0, 2) + number(0, 8) +
                                number(bytes.size(), 4) + bytes;
    const std::string length = number(payload.size(), 4);
    const auto crc = [](const std::string& data, uLong seed) {
        return crc32(seed, reinterpret_cast<const Bytef*>(data.data()),
                     static_cast<uInt>(data.size()));
    };
    return "RUBSOJ01" + length + number(crc(payload, crc(length, 0)), 4) + payload;
}

TEST_F(DesktopJournalTest, AJournalNamingAFileOutsideItsDirectoryIsRefusedAndWritesNothing) {
    std::filesystem::create_directory(dir_.File("tables"));
    const std::string outside = dir_.File("Outside.db");
    WriteFileBytes(outside, "kept");
    const std::string tables = dir_.File("tables");
    WriteFileBytes(DesktopJournal::PathIn(tables), HandMadeJournal("../Outside.db", "lost"));
    EXPECT_TRUE(
        Contains(ErrorOf([&] { RecoverInterruptedChange(tables); }), "nie jest dziennikiem"));
    EXPECT_EQ("kept", ReadFileBytes(outside));
}

// --- A header that lags behind its blocks ----------------------------------------------------

struct LagCase {
    const char* name;
    std::function<void(std::string&)> damage;
    const char* advice;
};

class DesktopHeaderLagTest : public ::testing::TestWithParam<LagCase> {};

TEST_P(DesktopHeaderLagTest, OpeningNamesTheRepairAndTheRepairRebuildsTheHeader) {
    test::TempDir dir;
    const std::string path = dir.File("Kama.db");
    MakeKody(path, 40);  // two blocks of Kody rows
    std::string bytes = ReadFileBytes(path);
    GetParam().damage(bytes);
    WriteFileBytes(path, bytes);
    try {
        DesktopTable table;
        table.Open(path, DesktopOpenMode::ReadWrite);
        ADD_FAILURE() << "the lagging header was accepted";
    } catch (const DesktopHeaderMismatch& error) {
        EXPECT_TRUE(Contains(error.Advice(), Cp1250(GetParam().advice))) << error.Advice();
        EXPECT_TRUE(Contains(error.Advice(), "rubso-repair-table \"" + path + "\""));
    }
    EXPECT_TRUE(DesktopFile::RepairHeader(path));
    Kods expected(40);
    std::iota(expected.begin(), expected.end(), 1);
    EXPECT_EQ(expected, KodColumn(path));
    EXPECT_FALSE(DesktopFile::RepairHeader(path));
}

INSTANTIATE_TEST_SUITE_P(
    Lags, DesktopHeaderLagTest,
    ::testing::Values(LagCase{"RecordCount", [](std::string& b) { b[0x06] = 39; },
                              "podaje 39 wierszy, a bloki zawierają 40"},
                      LagCase{"BlockCount",
                              [](std::string& b) {
                                  PutU16At(b, 0x0C, 1);  // the second block is not counted
                                  PutU16At(b, 0x10, 1);
                              },
                              "sięga bloku 2, a nagłówek liczy 1"},
                      LagCase{"LastBlock", [](std::string& b) { PutU16At(b, 0x10, 1); },
                              "ostatni blok 1"}),
    [](const auto& lag) { return std::string(lag.param.name); });

// --- Numbers that are no numbers ---------------------------------------------------------------

class DesktopNonFiniteTest : public ::testing::TestWithParam<std::uint64_t> {};

TEST_P(DesktopNonFiniteTest, ANumberFieldHoldingNoNumberIsRefusedNamingTableAndField) {
    test::TempDir dir;
    const std::string path = dir.File("Kody01.db");
    MakeKody(path, 1);
    std::string bytes = ReadFileBytes(path);
    const std::size_t cena = LayoutOf(bytes).BlockAt(1) + 6 + 4 + 30;
    for (int i = 0; i < 8; ++i) bytes[cena + i] = static_cast<char>(GetParam() >> (56 - 8 * i));
    WriteFileBytes(path, bytes);
    DesktopTable table;
    table.Open(path, DesktopOpenMode::ReadOnly);
    table.First();
    for (const auto& read : std::vector<std::function<void()>>{[&] { table.AsInteger("Cena"); },
                                                               [&] { table.AsFloat("Cena"); }}) {
        const std::string error = ErrorOf(read);
        EXPECT_TRUE(Contains(error, path) && Contains(error, "field 'Cena'")) << error;
    }
}

// Stored with the sign bit flipped: NaN, +infinity, -infinity (all bits inverted).
INSTANTIATE_TEST_SUITE_P(Values, DesktopNonFiniteTest,
                         ::testing::Values(0xFFF8000000000000u, 0xFFF0000000000000u,
                                           0x000FFFFFFFFFFFFFu));

}  // namespace
}  // namespace rubso
