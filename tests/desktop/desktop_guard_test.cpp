// When a table may be written: index files and lock files beside it, keyed
// tables, files that cannot be opened for writing. Each refusal must leave the
// table's bytes exactly as they were.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "db/desktop/desktop_table.h"
#include "tests/desktop/desktop_test_support.h"
#include "tests/support/temp_dir.h"

namespace rubso {
namespace {

using test::Contains;
using test::ErrorOf;
using test::ReadFileBytes;

class DesktopWriteGuardTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::MakeKody(path_, 3);
        before_ = ReadFileBytes(path_);
    }

    void Beside(const std::string& name) { test::WriteFileBytes(dir_.File(name), "x"); }

    std::string OpenForWriting() {
        return ErrorOf([&] { table_.Open(path_, DesktopOpenMode::ReadWrite); });
    }

    test::TempDir dir_;
    std::string path_ = dir_.File("Maga.db");
    std::string before_;
    DesktopTable table_;
};

// --- Index files beside the table ---------------------------------------------------------

class DesktopIndexBesideTest : public DesktopWriteGuardTest,
                               public ::testing::WithParamInterface<const char*> {};

TEST_P(DesktopIndexBesideTest, RefusesWritingNamingTableAndIndexAndWritesNothing) {
    Beside(GetParam());
    const std::string error = OpenForWriting();
    EXPECT_TRUE(Contains(error, path_)) << error;
    EXPECT_TRUE(Contains(error, std::string("index file ") + GetParam())) << error;
    EXPECT_FALSE(table_.IsOpen());
    EXPECT_EQ(before_, ReadFileBytes(path_));
}

INSTANTIATE_TEST_SUITE_P(Names, DesktopIndexBesideTest,
                         ::testing::Values("Maga.PX", "MAGA.px", "maga.Px", "Maga.X02", "MAGA.y0a",
                                           "Maga.XG0", "maga.YGF"));

TEST_F(DesktopWriteGuardTest, AnIndexBesideTheTableStillAllowsReading) {
    Beside("Maga.PX");
    table_.Open(path_, DesktopOpenMode::ReadOnly);
    EXPECT_EQ(3, table_.RecordCount());
}

TEST_F(DesktopWriteGuardTest, FilesOfOtherTablesOrOtherKindsDoNotStopWriting) {
    for (const char* name : {"Maga.xls", "Magazyn.PX", "Mag.PX", "Maga.db.PX", "Kama.LCK",
                             "Maga.XG", "Maga.X0G", "PARADOX.LCK", "Maga.txt"}) {
        Beside(name);
    }
    table_.Open(path_, DesktopOpenMode::ReadWrite);
    EXPECT_FALSE(table_.IsReadOnly());
}

// --- The table in use by the trading program ---------------------------------------------

class DesktopLockBesideTest : public DesktopWriteGuardTest,
                              public ::testing::WithParamInterface<const char*> {};

TEST_P(DesktopLockBesideTest, RefusesWritingAsInUseAndWritesNothing) {
    Beside(GetParam());
    const std::string error = OpenForWriting();
    EXPECT_TRUE(Contains(error, path_)) << error;
    EXPECT_TRUE(Contains(error, std::string("in use by another program (lock file ") + GetParam()))
        << error;
    EXPECT_EQ(before_, ReadFileBytes(path_));
}

INSTANTIATE_TEST_SUITE_P(Names, DesktopLockBesideTest,
                         ::testing::Values("Maga.LCK", "MAGA.lck", "maga.Lck"));

TEST_F(DesktopWriteGuardTest, ALockedTableCanStillBeRead) {
    Beside("MAGA.LCK");
    table_.Open(path_, DesktopOpenMode::ReadOnly);
    table_.First();
    EXPECT_EQ(1, table_.AsInteger("Kod"));
}

// --- Keyed tables ------------------------------------------------------------------------

TEST_F(DesktopWriteGuardTest, AKeyedTableIsRefusedForWritingEvenWithoutItsIndexFile) {
    std::string keyed = before_;
    keyed[4] = 0;  // file type: keyed table
    test::WriteFileBytes(path_, keyed);
    const std::string error = OpenForWriting();
    EXPECT_TRUE(Contains(error, "keyed")) << error;
    EXPECT_EQ(keyed, ReadFileBytes(path_));
    table_.Open(path_, DesktopOpenMode::ReadOnly);
    EXPECT_EQ(3, table_.RecordCount());
}

// --- Files that cannot be opened for writing ---------------------------------------------

TEST_F(DesktopWriteGuardTest, AReadOnlyFileCannotBeOpenedForWriting) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes to read-only files";
    ASSERT_EQ(0, chmod(path_.c_str(), 0444));
    const std::string error = OpenForWriting();
    EXPECT_TRUE(Contains(error, "cannot open the file for writing")) << error;
    EXPECT_EQ(before_, ReadFileBytes(path_));
    table_.Open(path_, DesktopOpenMode::ReadOnly);
    EXPECT_EQ(3, table_.RecordCount());
}

TEST_F(DesktopWriteGuardTest, AMissingFileIsReportedByName) {
    const std::string missing = dir_.File("Kama.db");
    for (const DesktopOpenMode mode : {DesktopOpenMode::ReadOnly, DesktopOpenMode::ReadWrite}) {
        const std::string error = ErrorOf([&] { table_.Open(missing, mode); });
        EXPECT_EQ("Desktop table '" + missing + "': the file does not exist", error);
    }
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(DesktopWriteGuardTest, ADirectoryIsNotATable) {
    std::filesystem::create_directory(dir_.File("Rok2009"));
    const std::string error =
        ErrorOf([&] { table_.Open(dir_.File("Rok2009"), DesktopOpenMode::ReadOnly); });
    EXPECT_TRUE(Contains(error, "not a regular file") || Contains(error, "cannot open")) << error;
}

TEST_F(DesktopWriteGuardTest, OpeningAnotherTableClosesTheFirst) {
    const std::string other = dir_.File("Kama.db");
    test::MakeKody(other, 1);
    table_.Open(path_, DesktopOpenMode::ReadWrite);
    table_.Append();
    table_.SetInteger("Kod", 4);  // started, never posted
    table_.Open(other, DesktopOpenMode::ReadOnly);
    EXPECT_EQ(other, table_.FileName());
    EXPECT_EQ(1, table_.RecordCount());
    EXPECT_EQ(before_, ReadFileBytes(path_));
}

}  // namespace
}  // namespace rubso
