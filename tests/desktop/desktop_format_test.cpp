// The table file as bytes: where records and block links end up after
// appends and deletes, which header bytes change, and what opening a damaged
// file says. Damaged files are made from a good one by cutting, padding or
// changing single bytes.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <numeric>
#include <string>

#include "db/desktop/desktop_table.h"
#include "tests/desktop/desktop_test_support.h"
#include "tests/support/temp_dir.h"

extern "C" {
#include <paradox.h>
}

namespace rubso {
namespace {

using test::Contains;
using test::ErrorOf;
using test::KodColumn;
using test::LayoutOf;
using test::MakeKody;
using test::PutU16At;
using test::ReadFileBytes;
using test::TableLayout;
using test::U16At;
using test::U32At;
using test::WriteFileBytes;
using Kods = std::vector<long long>;

// Header counters.
constexpr std::size_t kRecordCountAt = 0x06;
constexpr std::size_t kBlocksInUseAt = 0x0A;
constexpr std::size_t kTotalBlocksAt = 0x0C;
constexpr std::size_t kFirstBlockAt = 0x0E;
constexpr std::size_t kLastBlockAt = 0x10;

Kods Range(long long from, long long to) {
    Kods kods(static_cast<std::size_t>(to - from + 1));
    std::iota(kods.begin(), kods.end(), from);
    return kods;
}

struct BlockHead {
    unsigned next;
    unsigned previous;
    int lastRecordAt;
};

BlockHead HeadOf(const std::string& bytes, const TableLayout& layout, int number) {
    const std::size_t at = layout.BlockAt(number);
    return {U16At(bytes, at), U16At(bytes, at + 2),
            static_cast<std::int16_t>(static_cast<std::uint16_t>(U16At(bytes, at + 4)))};
}

class DesktopFormatTest : public ::testing::Test {
  protected:
    // Deletes the rows whose Kod lies in [from, to].
    void DeleteKods(long long from, long long to) {
        DesktopTable table;
        table.Open(path_, DesktopOpenMode::ReadWrite);
        for (long long kod = from; kod <= to; ++kod) {
            ASSERT_TRUE(table.Locate("Kod", {static_cast<std::int64_t>(kod)})) << kod;
            table.Delete();
        }
    }

    void AppendKod(long long kod) {
        DesktopTable table;
        table.Open(path_, DesktopOpenMode::ReadWrite);
        table.Append();
        table.SetInteger("Kod", kod);
        table.Post();
    }

    TableLayout Layout() { return LayoutOf(ReadFileBytes(path_)); }

    test::TempDir dir_;
    std::string path_ = dir_.File("Kody00.db");
};

// --- Where records and links go ------------------------------------------------------------

TEST_F(DesktopFormatTest, TheFirstRecordFollowsTheFirstBlockHead) {
    MakeKody(path_, 1);
    const std::string bytes = ReadFileBytes(path_);
    const TableLayout layout = LayoutOf(bytes);
    EXPECT_EQ(122, layout.recordSize);
    EXPECT_EQ(4096, layout.blockSize);
    EXPECT_EQ(1u, U32At(bytes, kRecordCountAt));
    EXPECT_EQ(1u, U16At(bytes, kTotalBlocksAt));
    EXPECT_EQ(1u, U16At(bytes, kFirstBlockAt));
    EXPECT_EQ(1u, U16At(bytes, kLastBlockAt));
    const BlockHead head = HeadOf(bytes, layout, 1);
    EXPECT_EQ(0u, head.next);
    EXPECT_EQ(0u, head.previous);
    EXPECT_EQ(0, head.lastRecordAt);  // one record
    const std::size_t record = layout.BlockAt(1) + 6;
    EXPECT_EQ(std::string("\x80\x00\x00\x01", 4), bytes.substr(record, 4));    // Kod 1
    EXPECT_EQ("N1" + std::string(28, '\0'), bytes.substr(record + 4, 30));     // Nazwa
    EXPECT_EQ(std::string(8 + 40 + 40, '\0'), bytes.substr(record + 34, 88));  // nulls
    EXPECT_EQ(static_cast<std::size_t>(layout.headerSize + layout.blockSize), bytes.size());
}

TEST_F(DesktopFormatTest, AFullBlockIsFollowedByANewBlockAtTheEndOfTheFile) {
    MakeKody(path_, 1);
    const int perBlock = Layout().recordsPerBlock;
    std::filesystem::remove(path_);
    MakeKody(path_, perBlock + 1);
    const std::string bytes = ReadFileBytes(path_);
    const TableLayout layout = LayoutOf(bytes);
    EXPECT_EQ(2u, U16At(bytes, kTotalBlocksAt));
    EXPECT_EQ(2u, U16At(bytes, kBlocksInUseAt));
    EXPECT_EQ(2u, U16At(bytes, kLastBlockAt));
    const BlockHead first = HeadOf(bytes, layout, 1);
    const BlockHead second = HeadOf(bytes, layout, 2);
    EXPECT_EQ(2u, first.next);
    EXPECT_EQ((perBlock - 1) * layout.recordSize, first.lastRecordAt);
    EXPECT_EQ(0u, second.next);
    EXPECT_EQ(1u, second.previous);
    EXPECT_EQ(0, second.lastRecordAt);
    EXPECT_EQ(static_cast<std::size_t>(layout.headerSize + 2 * layout.blockSize), bytes.size());
}

TEST_F(DesktopFormatTest, WritesChangeNoHeaderByteBesideTheCounters) {
    MakeKody(path_, 40);
    std::string bytes = ReadFileBytes(path_);
    const TableLayout layout = LayoutOf(bytes);
    // Bytes this layer does not interpret, set to values the original engine
    // might have left there.
    for (const std::size_t at : {0x12u, 0x13u, 0x2Bu, 0x2Du, 0x2Eu, 0x3Cu, 0x50u, 0x56u}) {
        bytes[at] = '\x5A';
    }
    bytes[static_cast<std::size_t>(layout.headerSize) - 1] = '\x5A';
    WriteFileBytes(path_, bytes);

    AppendKod(41);
    DeleteKods(1, 35);  // empties the first block, which takes the second's rows

    const std::string after = ReadFileBytes(path_);
    const auto counter = [](std::size_t at) {
        return (at >= 0x06 && at < 0x12) || (at >= 0x3A && at < 0x3C) || (at >= 0x49 && at < 0x4D);
    };
    for (std::size_t at = 0; at < static_cast<std::size_t>(layout.headerSize); ++at) {
        if (!counter(at)) {
            EXPECT_EQ(bytes[at], after[at]) << "header byte " << at;
        }
    }
    EXPECT_EQ(6u, U32At(after, kRecordCountAt));
    EXPECT_EQ(Range(36, 41), KodColumn(path_));
}

// --- Blocks emptied by deletes --------------------------------------------------------------
// pxlib 0.6.8 reads an emptied block as hundreds of records once the file is
// opened again; the chain must therefore never keep one.

TEST_F(DesktopFormatTest, DeletingTheOnlyRecordKeepsOneEmptyBlockForLaterAppends) {
    MakeKody(path_, 1);
    DeleteKods(1, 1);
    std::string bytes = ReadFileBytes(path_);
    const TableLayout layout = LayoutOf(bytes);
    EXPECT_EQ(0u, U32At(bytes, kRecordCountAt));
    EXPECT_EQ(1u, U16At(bytes, kFirstBlockAt));
    EXPECT_EQ(1u, U16At(bytes, kLastBlockAt));
    EXPECT_EQ(-layout.recordSize, HeadOf(bytes, layout, 1).lastRecordAt);
    EXPECT_EQ(Kods{}, KodColumn(path_));

    AppendKod(9);
    bytes = ReadFileBytes(path_);
    EXPECT_EQ(1u, U16At(bytes, kTotalBlocksAt));
    EXPECT_EQ(0, HeadOf(bytes, layout, 1).lastRecordAt);
    EXPECT_EQ(Kods{9}, KodColumn(path_));
}

TEST_F(DesktopFormatTest, AnEmptiedMiddleBlockLeavesTheChain) {
    MakeKody(path_, 1);
    const int n = Layout().recordsPerBlock;
    std::filesystem::remove(path_);
    MakeKody(path_, 3 * n);
    DeleteKods(n + 1, 2 * n);

    std::string bytes = ReadFileBytes(path_);
    const TableLayout layout = LayoutOf(bytes);
    EXPECT_EQ(3u, HeadOf(bytes, layout, 1).next);
    EXPECT_EQ(1u, HeadOf(bytes, layout, 3).previous);
    const BlockHead left = HeadOf(bytes, layout, 2);
    EXPECT_EQ(0u, left.next);
    EXPECT_EQ(0u, left.previous);
    EXPECT_EQ(-layout.recordSize, left.lastRecordAt);
    EXPECT_EQ(static_cast<unsigned>(2 * n), U32At(bytes, kRecordCountAt));
    EXPECT_EQ(3u, U16At(bytes, kTotalBlocksAt));
    EXPECT_EQ(3u, U16At(bytes, kLastBlockAt));
    Kods expected = Range(1, n);
    const Kods rest = Range(2 * n + 1, 3 * n);
    expected.insert(expected.end(), rest.begin(), rest.end());
    EXPECT_EQ(expected, KodColumn(path_));

    // The left block is not used again: a full last block gets a new one.
    AppendKod(0);
    bytes = ReadFileBytes(path_);
    EXPECT_EQ(4u, U16At(bytes, kTotalBlocksAt));
    EXPECT_EQ(4u, U16At(bytes, kLastBlockAt));
    EXPECT_EQ(4u, HeadOf(bytes, layout, 3).next);
    expected.push_back(0);
    EXPECT_EQ(expected, KodColumn(path_));
}

TEST_F(DesktopFormatTest, AnEmptiedFirstBlockTakesTheRowsOfTheNextBlock) {
    MakeKody(path_, 1);
    const int n = Layout().recordsPerBlock;
    std::filesystem::remove(path_);
    MakeKody(path_, 2 * n + 5);
    DeleteKods(1, n);

    const std::string bytes = ReadFileBytes(path_);
    const TableLayout layout = LayoutOf(bytes);
    EXPECT_EQ(1u, U16At(bytes, kFirstBlockAt));
    EXPECT_EQ(3u, HeadOf(bytes, layout, 1).next);
    EXPECT_EQ((n - 1) * layout.recordSize, HeadOf(bytes, layout, 1).lastRecordAt);
    EXPECT_EQ(1u, HeadOf(bytes, layout, 3).previous);
    EXPECT_EQ(-layout.recordSize, HeadOf(bytes, layout, 2).lastRecordAt);
    EXPECT_EQ(Range(n + 1, 2 * n + 5), KodColumn(path_));
}

TEST_F(DesktopFormatTest, AnEmptiedLastBlockLeavesTheChainAndTheHeaderNamesThePreviousOne) {
    MakeKody(path_, 1);
    const int n = Layout().recordsPerBlock;
    std::filesystem::remove(path_);
    MakeKody(path_, n + 3);
    DeleteKods(n + 1, n + 3);

    std::string bytes = ReadFileBytes(path_);
    const TableLayout layout = LayoutOf(bytes);
    EXPECT_EQ(1u, U16At(bytes, kLastBlockAt));
    EXPECT_EQ(0u, HeadOf(bytes, layout, 1).next);
    EXPECT_EQ(Range(1, n), KodColumn(path_));

    AppendKod(n + 9);
    bytes = ReadFileBytes(path_);
    EXPECT_EQ(3u, U16At(bytes, kLastBlockAt));
    EXPECT_EQ(3u, HeadOf(bytes, layout, 1).next);
    Kods expected = Range(1, n);
    expected.push_back(n + 9);
    EXPECT_EQ(expected, KodColumn(path_));
}

// --- Damaged files ----------------------------------------------------------------------------

struct DamageCase {
    const char* name;
    int rows;  // rows of the good file; -1 for one more than a block holds
    std::function<void(std::string&, const TableLayout&)> damage;
    std::string expected;  // part of the error message
};

class DesktopDamagedFileTest : public ::testing::TestWithParam<DamageCase> {};

TEST_P(DesktopDamagedFileTest, OpeningReportsTheDamageAndWritesNothing) {
    test::TempDir dir;
    const std::string path = dir.File("Maga.db");
    const DamageCase& c = GetParam();
    int rows = c.rows;
    if (rows < 0) {
        MakeKody(path, 1);
        rows = LayoutOf(ReadFileBytes(path)).recordsPerBlock + 1;
        std::filesystem::remove(path);
    }
    MakeKody(path, rows);
    std::string bytes = ReadFileBytes(path);
    const TableLayout layout = LayoutOf(bytes);
    c.damage(bytes, layout);
    WriteFileBytes(path, bytes);

    for (const DesktopOpenMode mode : {DesktopOpenMode::ReadOnly, DesktopOpenMode::ReadWrite}) {
        DesktopTable table;
        const std::string error = ErrorOf([&] { table.Open(path, mode); });
        EXPECT_TRUE(Contains(error, "Desktop table '" + path + "': ")) << error;
        EXPECT_TRUE(Contains(error, c.expected)) << error;
        EXPECT_FALSE(table.IsOpen());
    }
    EXPECT_EQ(bytes, ReadFileBytes(path));
}

INSTANTIATE_TEST_SUITE_P(
    Damage, DesktopDamagedFileTest,
    ::testing::Values(
        DamageCase{"EmptyFile", 5, [](std::string& b, const TableLayout&) { b.clear(); },
                   "too short to be a table (0 bytes)"},
        DamageCase{"CutInsideTheFixedHeader", 5,
                   [](std::string& b, const TableLayout&) { b.resize(0x40); }, "too short"},
        DamageCase{"CutInsideTheHeader", 5,
                   [](std::string& b, const TableLayout& l) {
                       b.resize(static_cast<std::size_t>(l.headerSize) - 1);
                   },
                   "truncated: the header needs"},
        DamageCase{"CutInsideTheLastRecord", 5,
                   [](std::string& b, const TableLayout& l) {
                       b.resize(l.BlockAt(1) + 6 + 5 * static_cast<std::size_t>(l.recordSize) - 1);
                   },
                   "truncated: block 1 needs bytes up to"},
        DamageCase{"CutBeforeTheSecondBlock", -1,
                   [](std::string& b, const TableLayout& l) { b.resize(l.BlockAt(2)); },
                   "truncated: block 2 starts at byte"},
        DamageCase{"RecordCountTooHigh", 5,
                   [](std::string& b, const TableLayout&) { b[kRecordCountAt] = 6; },
                   "the header counts 6 records, the blocks hold 5"},
        DamageCase{"AnIndexFileNotATable", 5, [](std::string& b, const TableLayout&) { b[4] = 1; },
                   "not a table file (file type 1)"},
        DamageCase{"UnknownFileVersion", 5,
                   [](std::string& b, const TableLayout&) { b[0x39] = 0x20; },
                   "unknown file version"},
        DamageCase{"PasswordInTheFixedHeader", 5,
                   [](std::string& b, const TableLayout&) {
                       PutU16At(b, 0x25, 0x1234);
                       PutU16At(b, 0x27, 0);
                   },
                   "password-protected"},
        DamageCase{"PasswordInTheDataHeader", 5,
                   [](std::string& b, const TableLayout&) { b[0x5C] = 7; }, "password-protected"},
        DamageCase{"UnknownBlockSize", 5, [](std::string& b, const TableLayout&) { b[5] = 5; },
                   "unknown block size"},
        DamageCase{"HeaderSizeTooSmall", 5,
                   [](std::string& b, const TableLayout&) { PutU16At(b, 2, 0x40); },
                   "header size of 64 bytes"},
        DamageCase{"RecordSizeDisagreesWithTheFields", 0,
                   [](std::string& b, const TableLayout& l) {
                       PutU16At(b, 0, static_cast<unsigned>(l.recordSize + 1));
                   },
                   "the fields take 122 bytes, the header gives records of 123"},
        DamageCase{"UnknownFieldType", 5,
                   [](std::string& b, const TableLayout&) { b[0x78] = 0x30; },
                   "field 1 (Kod) has an unknown type (48)"},
        DamageCase{"ChainRefersPastTheLastBlock", 5,
                   [](std::string& b, const TableLayout& l) { PutU16At(b, l.BlockAt(1), 9); },
                   "refers to block 9, but the header counts 1 blocks"},
        DamageCase{"ChainRunsInACircle", -1,
                   [](std::string& b, const TableLayout& l) { PutU16At(b, l.BlockAt(2), 1); },
                   "runs in a circle at block 1"},
        DamageCase{"BlockLinksBackWrongly", 5,
                   [](std::string& b, const TableLayout& l) { PutU16At(b, l.BlockAt(1) + 2, 5); },
                   "block 1 links back to block 5 instead of 0"},
        DamageCase{"BlockSizeNotAWholeRecord", 5,
                   [](std::string& b,
                      const TableLayout&
                          l) { PutU16At(b, l.BlockAt(1) + 4, U16At(b, l.BlockAt(1) + 4) + 1); },
                   "block 1 gives an impossible size"}),
    [](const ::testing::TestParamInfo<DamageCase>& suite) { return suite.param.name; });

TEST_F(DesktopFormatTest, ALastBlockTheHeaderDoesNotNameIsRefusedForWritingOnly) {
    MakeKody(path_, 5);
    std::string bytes = ReadFileBytes(path_);
    PutU16At(bytes, kLastBlockAt, 0);
    WriteFileBytes(path_, bytes);
    DesktopTable table;
    const std::string error = ErrorOf([&] { table.Open(path_, DesktopOpenMode::ReadWrite); });
    EXPECT_TRUE(Contains(error, "is not the end of the block chain")) << error;
    EXPECT_EQ(bytes, ReadFileBytes(path_));
    EXPECT_EQ(Range(1, 5), KodColumn(path_));
}

TEST_F(DesktopFormatTest, BytesAfterTheLastBlockAreIgnoredAndAppendsStillWork) {
    MakeKody(path_, 1);
    const int n = Layout().recordsPerBlock;
    std::filesystem::remove(path_);
    MakeKody(path_, n);
    WriteFileBytes(path_, ReadFileBytes(path_) + std::string(100, '\x7E'));
    EXPECT_EQ(Range(1, n), KodColumn(path_));
    AppendKod(n + 1);
    EXPECT_EQ(Range(1, n + 1), KodColumn(path_));
}

TEST_F(DesktopFormatTest, LocateSeesStoredValuesAsTheyReadNotAsTheirLeftoverBytes) {
    MakeKody(path_, 2);
    std::string bytes = ReadFileBytes(path_);
    const std::size_t second = LayoutOf(bytes).BlockAt(1) + 6 + 122;
    // Another writer may leave bytes after a text's end, or store -0.0.
    bytes.replace(second + 4, 6, std::string("AB\0XYZ", 6));
    bytes.replace(second + 34, 8, std::string("\x7F\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 8));
    WriteFileBytes(path_, bytes);

    DesktopTable table;
    table.Open(path_, DesktopOpenMode::ReadOnly);
    ASSERT_TRUE(table.Locate("Nazwa", {std::string("AB")}));
    EXPECT_EQ(2, table.AsInteger("Kod"));
    EXPECT_EQ("AB", table.AsText("Nazwa"));
    ASSERT_TRUE(table.Locate("Cena", {0.0}));
    EXPECT_EQ(2, table.AsInteger("Kod"));
}

// --- Another reader of the format ------------------------------------------------------------

TEST_F(DesktopFormatTest, FilesWrittenHereReadTheSameThroughPxlib) {
    MakeKody(path_, 100);
    {
        DesktopTable table;
        table.Open(path_, DesktopOpenMode::ReadWrite);
        ASSERT_TRUE(table.Locate("Kod", {std::int64_t{50}}));
        table.Edit();
        table.SetFloat("Cena", -12.25);
        table.Post();
    }
    std::FILE* file = std::fopen(path_.c_str(), "rb");
    ASSERT_NE(nullptr, file);
    pxdoc_t* doc = PX_new();
    ASSERT_EQ(0, PX_open_fp(doc, file));
    ASSERT_EQ(100, PX_get_num_records(doc));
    std::string record(static_cast<std::size_t>(PX_get_recordsize(doc)), '\0');
    for (int i = 0; i < 100; ++i) {
        ASSERT_NE(nullptr, PX_get_record(doc, i, record.data())) << i;
        long kod = 0;
        PX_get_data_long(doc, record.data(), 4, &kod);
        EXPECT_EQ(i + 1, kod);
        char* nazwa = nullptr;
        ASSERT_EQ(1, PX_get_data_alpha(doc, record.data() + 4, 30, &nazwa));
        EXPECT_EQ("N" + std::to_string(i + 1), std::string(nazwa));
        doc->free(doc, nazwa);
        if (kod == 50) {
            double cena = 0.0;
            PX_get_data_double(doc, record.data() + 34, 8, &cena);
            EXPECT_EQ(-12.25, cena);
        }
    }
    PX_delete(doc);
    std::fclose(file);
}

}  // namespace
}  // namespace rubso
