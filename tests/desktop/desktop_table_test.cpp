#include "db/desktop/desktop_table.h"

#include <gtest/gtest.h>

#include <QTime>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "tests/desktop/desktop_test_support.h"
#include "tests/support/temp_dir.h"

namespace rubso {
namespace {

using test::Contains;
using test::ErrorOf;
using test::KodColumn;
using test::MakeKody;
using test::ReadFileBytes;
using Kods = std::vector<long long>;

QDateTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

class DesktopTableTest : public ::testing::Test {
  protected:
    // A register code table with rows Kod = 1..count.
    DesktopTable& Kody(int count, DesktopOpenMode mode = DesktopOpenMode::ReadWrite) {
        MakeKody(path_, count);
        table_.Open(path_, mode);
        return table_;
    }

    void AppendKod(int kod, const std::string& nazwa, const std::string& ean = "") {
        table_.Append();
        table_.SetInteger("Kod", kod);
        table_.SetText("Nazwa", nazwa);
        table_.SetText("Kod_Ean", ean);
        table_.Post();
    }

    test::TempDir dir_;
    std::string path_ = dir_.File("Kody00.db");
    DesktopTable table_;
};

// --- Creating and opening -------------------------------------------------------------

TEST_F(DesktopTableTest, ACreatedTableOpensEmptyWithItsFieldsInOrder) {
    DesktopTable::Create(path_, test::KodyFields());
    table_.Open(path_, DesktopOpenMode::ReadOnly);
    std::vector<std::string> names;
    for (const DesktopField& field : table_.Fields()) names.push_back(field.name);
    EXPECT_EQ((std::vector<std::string>{"Kod", "Nazwa", "Cena", "Inne", "Kod_Ean"}), names);
    EXPECT_EQ(DesktopFieldKind::Number, table_.FieldKind("Cena"));
    EXPECT_EQ(40, table_.FieldLength("Kod_Ean"));
    EXPECT_EQ(1250, table_.CodePage());
    EXPECT_EQ(0, table_.RecordCount());
    table_.First();
    EXPECT_TRUE(table_.Eof());
}

TEST_F(DesktopTableTest, TheCodePageGivenAtCreationIsInTheHeader) {
    DesktopTable::Create(path_, test::KodyFields(), 852);
    table_.Open(path_, DesktopOpenMode::ReadOnly);
    EXPECT_EQ(852, table_.CodePage());
}

TEST_F(DesktopTableTest, CreateRefusesAnExistingFileAndLeavesItAlone) {
    test::WriteFileBytes(path_, "not a table");
    const std::string error = ErrorOf([&] { DesktopTable::Create(path_, test::KodyFields()); });
    EXPECT_TRUE(Contains(error, "already exists")) << error;
    EXPECT_EQ("not a table", ReadFileBytes(path_));
}

struct BadFieldsCase {
    const char* name;
    std::vector<DesktopNewField> fields;
    std::string problem;
};

class DesktopCreateRefusalTest : public ::testing::TestWithParam<BadFieldsCase> {};

TEST_P(DesktopCreateRefusalTest, RefusesTheFieldListAndLeavesNoFile) {
    test::TempDir dir;
    const std::string path = dir.File("Bad.db");
    const std::string error = ErrorOf([&] { DesktopTable::Create(path, GetParam().fields); });
    EXPECT_TRUE(Contains(error, GetParam().problem)) << error;
    EXPECT_TRUE(Contains(error, path)) << error;
    EXPECT_FALSE(std::filesystem::exists(path));
}

INSTANTIATE_TEST_SUITE_P(
    FieldLists, DesktopCreateRefusalTest,
    ::testing::Values(
        BadFieldsCase{"NoField", {}, "at least one field"},
        BadFieldsCase{"NameTwiceIgnoringCase",
                      {{"Kod", DesktopFieldKind::Long, 0}, {"KOD", DesktopFieldKind::Short, 0}},
                      "occurs twice"},
        BadFieldsCase{"EmptyName", {{"", DesktopFieldKind::Long, 0}}, "1 to 25 bytes"},
        BadFieldsCase{
            "NameOf26Bytes", {{std::string(26, 'A'), DesktopFieldKind::Long, 0}}, "1 to 25 bytes"},
        BadFieldsCase{"AlphaOfWidthZero", {{"Nazwa", DesktopFieldKind::Alpha, 0}}, "1 to 255"},
        BadFieldsCase{"AlphaOfWidth256", {{"Nazwa", DesktopFieldKind::Alpha, 256}}, "1 to 255"},
        BadFieldsCase{"UnwritableKind", {{"Blob", DesktopFieldKind::Other, 10}}, "cannot create"}),
    [](const ::testing::TestParamInfo<BadFieldsCase>& suite) { return suite.param.name; });

// --- Appending and reading --------------------------------------------------------------

TEST_F(DesktopTableTest, AppendedRowsReadBackInOrderAcrossManyBlocks) {
    MakeKody(path_, 500);
    Kods expected(500);
    std::iota(expected.begin(), expected.end(), 1);
    EXPECT_EQ(expected, KodColumn(path_));
}

TEST_F(DesktopTableTest, EveryKindKeepsItsValueThroughCloseAndOpen) {
    DesktopTable::Create(path_, test::AllKindsFields());
    table_.Open(path_, DesktopOpenMode::ReadWrite);
    table_.Append();
    table_.SetText("Tekst", "Abc");
    table_.SetInteger("Krotka", -32767);
    table_.SetInteger("Dluga", 2147483647);
    table_.SetFloat("Liczba", -1234.5678);
    table_.SetFloat("Kwota", 24.6);
    table_.SetDateTime("Data", At(2009, 5, 14, 23, 59, 59));
    table_.SetDateTime("Czas", At(2009, 5, 14, 13, 45, 7));
    table_.SetDateTime("Chwila", At(2009, 5, 14, 13, 45, 7));
    table_.SetBoolean("Znak", true);
    table_.Post();
    table_.Close();

    table_.Open(path_, DesktopOpenMode::ReadOnly);
    table_.First();
    EXPECT_EQ("Abc", table_.AsText("Tekst"));
    EXPECT_EQ(-32767, table_.AsInteger("Krotka"));
    EXPECT_EQ(2147483647, table_.AsInteger("Dluga"));
    EXPECT_EQ(-1234.5678, table_.AsFloat("Liczba"));
    EXPECT_EQ(24.6, table_.AsFloat("Kwota"));
    EXPECT_EQ(At(2009, 5, 14), table_.AsDateTime("Data"));
    EXPECT_EQ(At(1899, 12, 30, 13, 45, 7), table_.AsDateTime("Czas"));
    EXPECT_EQ(At(2009, 5, 14, 13, 45, 7), table_.AsDateTime("Chwila"));
    EXPECT_TRUE(table_.AsBoolean("Znak"));
}

TEST_F(DesktopTableTest, TextBytesAreStoredAndReadWithoutAnyConversion) {
    DesktopTable::Create(path_, {{"Tekst", DesktopFieldKind::Alpha, 255}});
    table_.Open(path_, DesktopOpenMode::ReadWrite);
    std::string everyByte;
    for (int byte = 1; byte < 256; ++byte) everyByte += static_cast<char>(byte);
    table_.Append();
    table_.SetText("Tekst", everyByte);
    table_.Post();
    table_.Append();
    table_.SetText("Tekst", "Za\xBF\xF3\xB3\xE6 g\xEA\x9C\x6C\xB9 ja\x9F\xF1");  // Windows-1250
    table_.Post();
    table_.Close();

    table_.Open(path_, DesktopOpenMode::ReadOnly);
    table_.First();
    EXPECT_EQ(everyByte, table_.AsText("Tekst"));
    table_.Next();
    EXPECT_EQ("Za\xBF\xF3\xB3\xE6 g\xEA\x9C\x6C\xB9 ja\x9F\xF1", table_.AsText("Tekst"));
}

TEST_F(DesktopTableTest, NullFieldsReadAsNullAndZeroValuesAreNotNull) {
    DesktopTable::Create(path_, test::AllKindsFields());
    table_.Open(path_, DesktopOpenMode::ReadWrite);
    table_.Append();  // every field left null
    table_.Post();
    table_.Append();
    table_.SetInteger("Krotka", 0);
    table_.SetInteger("Dluga", 0);
    table_.SetFloat("Liczba", 0.0);
    table_.SetFloat("Kwota", 0.0);
    table_.SetDateTime("Czas", At(2000, 1, 1, 0, 0, 0));
    table_.SetBoolean("Znak", false);
    table_.Post();
    table_.Close();

    table_.Open(path_, DesktopOpenMode::ReadOnly);
    table_.First();
    for (const DesktopNewField& field : test::AllKindsFields()) {
        EXPECT_TRUE(table_.IsNull(field.name)) << field.name;
    }
    EXPECT_EQ(0, table_.AsInteger("Dluga"));
    EXPECT_EQ(0.0, table_.AsFloat("Liczba"));
    EXPECT_EQ("", table_.AsText("Dluga"));
    EXPECT_FALSE(table_.AsDateTime("Data").isValid());
    EXPECT_FALSE(table_.AsDateTime("Chwila").isValid());
    EXPECT_FALSE(table_.AsBoolean("Znak"));

    table_.Next();
    for (const char* name : {"Krotka", "Dluga", "Liczba", "Kwota", "Czas", "Znak"}) {
        EXPECT_FALSE(table_.IsNull(name)) << name;
    }
    EXPECT_EQ("0", table_.AsText("Dluga"));
    EXPECT_EQ("00:00:00", table_.AsText("Czas"));
    EXPECT_TRUE(table_.IsNull("Data"));
}

TEST_F(DesktopTableTest, ColumnNamesMatchWithoutRegardToLetterCase) {
    Kody(0);
    table_.Append();
    table_.SetText("KOD_EAN", "590");
    table_.SetInteger("kod", 7);
    table_.Post();
    EXPECT_EQ("590", table_.AsText("kod_ean"));
    EXPECT_EQ(7, table_.AsInteger("KoD"));
    EXPECT_TRUE(table_.HasField("NAZWA"));
    EXPECT_FALSE(table_.HasField("Nazw"));
}

TEST_F(DesktopTableTest, AutoIncrementFieldsAreNumberedByTheTableAndCannotBeSet) {
    DesktopTable::Create(
        path_, {{"Id", DesktopFieldKind::AutoInc, 0}, {"Nazwa", DesktopFieldKind::Alpha, 10}});
    table_.Open(path_, DesktopOpenMode::ReadWrite);
    for (const char* nazwa : {"a", "b"}) {
        table_.Append();
        table_.SetText("Nazwa", nazwa);
        table_.Post();
    }
    table_.Append();
    EXPECT_TRUE(Contains(ErrorOf([&] { table_.SetInteger("Id", 9); }), "numbered by the table"));
    table_.Cancel();
    table_.Close();
    table_.Open(path_, DesktopOpenMode::ReadWrite);
    table_.Append();
    table_.SetText("Nazwa", "c");
    table_.Post();
    std::vector<long long> ids;
    for (table_.First(); !table_.Eof(); table_.Next()) ids.push_back(table_.AsInteger("Id"));
    EXPECT_EQ((Kods{1, 2, 3}), ids);
}

// --- Refusals that leave the file and the record unposted -------------------------------

TEST_F(DesktopTableTest, ATextLongerThanItsFieldIsRefusedNamingTableAndField) {
    Kody(3);
    table_.Append();
    table_.SetInteger("Kod", 4);
    const std::string error = ErrorOf([&] { table_.SetText("Nazwa", std::string(31, 'x')); });
    EXPECT_TRUE(Contains(error, path_)) << error;
    EXPECT_TRUE(Contains(error, "'Nazwa'")) << error;
    EXPECT_TRUE(Contains(error, "31 bytes")) << error;
    table_.Close();
    EXPECT_EQ((Kods{1, 2, 3}), KodColumn(path_));
}

TEST_F(DesktopTableTest, FieldLengthTellsHowMuchOfATextFits) {
    Kody(0);
    const std::string longName(45, 'n');
    table_.Append();
    table_.SetInteger("Kod", 1);
    table_.SetText("Nazwa",
                   longName.substr(0, static_cast<std::size_t>(table_.FieldLength("Nazwa"))));
    table_.Post();
    EXPECT_EQ(std::string(30, 'n'), table_.AsText("Nazwa"));
}

TEST_F(DesktopTableTest, AnUnknownColumnIsRefusedNamingTableAndColumn) {
    Kody(1);
    table_.First();
    const std::string error = ErrorOf([&] { table_.AsText("Asort"); });
    EXPECT_TRUE(Contains(error, path_)) << error;
    EXPECT_TRUE(Contains(error, "no field 'Asort'")) << error;
    table_.Append();
    EXPECT_FALSE(ErrorOf([&] { table_.SetText("Asort", "x"); }).empty());
}

TEST_F(DesktopTableTest, ARecordWhoseFillingFailedIsNeverPosted) {
    Kody(1);
    table_.Append();
    table_.SetInteger("Kod", 2);
    EXPECT_FALSE(ErrorOf([&] { table_.SetText("Kod_Ean", std::string(41, '5')); }).empty());
    table_.Append();  // a new record: the failed one is dropped, not posted
    table_.SetInteger("Kod", 3);
    table_.Post();
    table_.Append();
    table_.SetInteger("Kod", 4);
    table_.Close();  // started and not posted: dropped
    EXPECT_EQ((Kods{1, 3}), KodColumn(path_));
}

TEST_F(DesktopTableTest, SettingOrPostingWithoutAppendOrEditIsRefused) {
    Kody(1);
    table_.First();
    EXPECT_TRUE(Contains(ErrorOf([&] { table_.SetInteger("Kod", 5); }), "Append or Edit"));
    EXPECT_TRUE(Contains(ErrorOf([&] { table_.Post(); }), "Append or Edit"));
    EXPECT_EQ(1, table_.AsInteger("Kod"));
}

TEST_F(DesktopTableTest, ReadingWithoutACurrentRecordIsRefused) {
    Kody(1);
    EXPECT_TRUE(Contains(ErrorOf([&] { table_.AsInteger("Kod"); }), "no record is current"));
}

TEST_F(DesktopTableTest, ReadingAFieldAsAKindItCannotGiveIsRefused) {
    Kody(1);
    table_.First();
    EXPECT_TRUE(Contains(ErrorOf([&] { table_.AsBoolean("Kod"); }), "cannot be read as a boolean"));
    EXPECT_TRUE(Contains(ErrorOf([&] { table_.AsDateTime("Cena"); }), "date-time"));
}

TEST_F(DesktopTableTest, ATableOpenedReadOnlyRefusesEveryWriteAndStaysUnchanged) {
    MakeKody(path_, 2);
    const std::string before = ReadFileBytes(path_);
    table_.Open(path_, DesktopOpenMode::ReadOnly);
    EXPECT_TRUE(table_.IsReadOnly());
    table_.First();
    for (const auto& write :
         std::vector<std::function<void()>>{[&] { table_.Append(); }, [&] { table_.Edit(); },
                                            [&] { table_.Delete(); }, [&] { table_.Post(); }}) {
        const std::string error = ErrorOf(write);
        EXPECT_TRUE(Contains(error, "reading only")) << error;
        EXPECT_TRUE(Contains(error, path_)) << error;
    }
    table_.Flush();
    table_.Close();
    EXPECT_EQ(before, ReadFileBytes(path_));
}

TEST_F(DesktopTableTest, OperationsOnAClosedTableAreRefused) {
    EXPECT_TRUE(Contains(ErrorOf([&] { table_.RecordCount(); }), "not open"));
    Kody(1);
    table_.Close();
    table_.Close();  // closing twice does nothing
    EXPECT_TRUE(Contains(ErrorOf([&] { table_.First(); }), "closed"));
}

// --- Locate ---------------------------------------------------------------------------

TEST_F(DesktopTableTest, LocateFindsTheFirstRowMatchingEveryListedColumn) {
    Kody(0);
    AppendKod(1, "A", "111");
    AppendKod(2, "B", "222");
    AppendKod(3, "A", "222");
    AppendKod(4, "A", "222");
    EXPECT_TRUE(table_.Locate("Nazwa;Kod_Ean", {std::string("A"), std::string("222")}));
    EXPECT_EQ(3, table_.AsInteger("Kod"));
    EXPECT_TRUE(table_.Locate(" nazwa ; KOD_EAN ", {std::string("A"), std::string("111")}));
    EXPECT_EQ(1, table_.AsInteger("Kod"));
}

TEST_F(DesktopTableTest, ALocateWithoutMatchReturnsFalseAndKeepsTheCurrentRecord) {
    Kody(5);
    ASSERT_TRUE(table_.Locate("Kod", {std::int64_t{4}}));
    EXPECT_FALSE(table_.Locate("Kod", {std::int64_t{6}}));
    EXPECT_EQ(4, table_.AsInteger("Kod"));
}

TEST_F(DesktopTableTest, LocateComparesTextsByteForByteWithLetterCase) {
    Kody(0);
    AppendKod(1, "abc");
    AppendKod(2, "ABC");
    AppendKod(3, "ABC ");
    ASSERT_TRUE(table_.Locate("Nazwa", {std::string("ABC")}));
    EXPECT_EQ(2, table_.AsInteger("Kod"));
    EXPECT_FALSE(table_.Locate("Nazwa", {std::string("Abc")}));
}

TEST_F(DesktopTableTest, ALocateTextTooLongForItsFieldFindsNothing) {
    Kody(0);
    AppendKod(1, std::string(30, 'x'));
    EXPECT_FALSE(table_.Locate("Nazwa", {std::string(31, 'x')}));
    EXPECT_TRUE(table_.Locate("Nazwa", {std::string(30, 'x')}));
}

TEST_F(DesktopTableTest, LocateConvertsTheValueAsSettingTheColumnWould) {
    Kody(0);
    table_.Append();
    table_.SetInteger("Kod", 8);
    table_.SetFloat("Cena", 12.0);
    table_.Post();
    EXPECT_TRUE(table_.Locate("Cena", {std::int64_t{12}}));
    EXPECT_TRUE(table_.Locate("Kod", {std::string("8")}));
    EXPECT_TRUE(table_.Locate("Kod", {8.0}));
    EXPECT_TRUE(table_.Locate("Inne", {DesktopValue()}));  // null matches null
}

TEST_F(DesktopTableTest, LocateRefusesBadColumnListsAndValues) {
    Kody(1);
    EXPECT_TRUE(Contains(ErrorOf([&] { table_.Locate("Kod;Nazwa", {std::int64_t{1}}); }),
                         "2 columns but 1 values"));
    EXPECT_TRUE(Contains(ErrorOf([&] { table_.Locate("Kod;;Nazwa", {}); }), "gap"));
    EXPECT_TRUE(
        Contains(ErrorOf([&] { table_.Locate("Typm", {std::int64_t{1}}); }), "no field 'Typm'"));
    EXPECT_TRUE(Contains(ErrorOf([&] { table_.Locate("Kod", {std::string("jeden")}); }),
                         "not a whole number"));
}

// The in-memory index must follow appends, edits and deletes, including the
// shift of record numbers after a delete: every Locate is checked against a
// plain scan of the table.
TEST_F(DesktopTableTest, LocateStaysRightThroughAppendsEditsAndDeletes) {
    Kody(0);
    std::mt19937 random(20090514);
    const auto scan = [&](int kod) -> long long {
        // Cena of the first row in table order with this Kod, -1 if none.
        DesktopTable reader;
        table_.Flush();
        reader.Open(path_, DesktopOpenMode::ReadOnly);
        for (reader.First(); !reader.Eof(); reader.Next()) {
            if (reader.AsInteger("Kod") == kod) return reader.AsInteger("Cena");
        }
        return -1;
    };
    int serial = 0;
    for (int step = 0; step < 600; ++step) {
        const int kod = static_cast<int>(random() % 40);
        const int action = static_cast<int>(random() % 4);
        if (action <= 1) {
            table_.Append();
            table_.SetInteger("Kod", kod);
            table_.SetFloat("Cena", ++serial);
            table_.Post();
        } else if (table_.Locate("Kod", {std::int64_t{kod}})) {
            if (action == 2) {
                table_.Edit();
                table_.SetInteger("Kod", static_cast<int>(random() % 40));
                table_.Post();
            } else {
                table_.Delete();
            }
        }
        const int probe = static_cast<int>(random() % 40);
        const long long expected = scan(probe);
        const bool found = table_.Locate("Kod", {std::int64_t{probe}});
        ASSERT_EQ(expected != -1, found) << "step " << step << " Kod " << probe;
        if (found) {
            ASSERT_EQ(expected, table_.AsFloat("Cena")) << "step " << step;
        }
    }
}

// --- Edit and Delete ------------------------------------------------------------------

TEST_F(DesktopTableTest, EditRewritesOnlyTheCurrentRecord) {
    Kody(3);
    ASSERT_TRUE(table_.Locate("Kod", {std::int64_t{2}}));
    table_.Edit();
    table_.SetFloat("Cena", 9.5);
    table_.SetText("Nazwa", "Zmieniony");
    table_.Post();
    table_.Close();
    table_.Open(path_, DesktopOpenMode::ReadOnly);
    std::vector<std::string> names;
    for (table_.First(); !table_.Eof(); table_.Next()) names.push_back(table_.AsText("Nazwa"));
    EXPECT_EQ((std::vector<std::string>{"N1", "Zmieniony", "N3"}), names);
    ASSERT_TRUE(table_.Locate("Kod", {std::int64_t{2}}));
    EXPECT_EQ(9.5, table_.AsFloat("Cena"));
}

TEST_F(DesktopTableTest, EditWithoutACurrentRecordIsRefused) {
    Kody(2);
    EXPECT_TRUE(Contains(ErrorOf([&] { table_.Edit(); }), "no record is current"));
}

TEST_F(DesktopTableTest, DeleteMovesLaterRecordsUpAndLeavesNoRecordCurrent) {
    Kody(5);
    ASSERT_TRUE(table_.Locate("Kod", {std::int64_t{2}}));
    table_.Delete();
    EXPECT_TRUE(Contains(ErrorOf([&] { table_.AsInteger("Kod"); }), "no record is current"));
    EXPECT_EQ(4, table_.RecordCount());
    // The rows after the deleted one are found by value, whatever their
    // number has become.
    ASSERT_TRUE(table_.Locate("Kod", {std::int64_t{3}}));
    EXPECT_EQ("N3", table_.AsText("Nazwa"));
    table_.Delete();
    ASSERT_TRUE(table_.Locate("Kod", {std::int64_t{5}}));
    EXPECT_EQ("N5", table_.AsText("Nazwa"));
    table_.Close();
    EXPECT_EQ((Kods{1, 4, 5}), KodColumn(path_));
}

TEST_F(DesktopTableTest, RepeatedLocateAndDeleteRemovesEveryRowOfAPackage) {
    Kody(0);
    for (int i = 0; i < 300; ++i) AppendKod(i % 3 == 0 ? 7 : 1000 + i, "x");
    int removed = 0;
    while (table_.Locate("Kod", {std::int64_t{7}})) {
        table_.Delete();
        ++removed;
    }
    EXPECT_EQ(100, removed);
    EXPECT_EQ(200, table_.RecordCount());
    table_.Close();
    const Kods kods = KodColumn(path_);
    EXPECT_EQ(200u, kods.size());
    EXPECT_EQ(0, std::count(kods.begin(), kods.end(), 7));
}

TEST_F(DesktopTableTest, DeleteWithoutACurrentRecordOrDuringAnAppendIsRefused) {
    Kody(2);
    EXPECT_TRUE(Contains(ErrorOf([&] { table_.Delete(); }), "no record is current"));
    table_.First();
    table_.Append();
    EXPECT_TRUE(Contains(ErrorOf([&] { table_.Delete(); }), "being appended"));
    EXPECT_EQ(2, table_.RecordCount());
}

// --- Blank dates as the zero date -------------------------------------------------------

TEST_F(DesktopTableTest, WithTheOptionBlankDatesOfAnAppendedRecordGetTheZeroDate) {
    DesktopTable::Create(path_, test::AllKindsFields());
    table_.Open(path_, DesktopOpenMode::ReadWrite);
    table_.SetBlankDatesAsZeroDate(true);
    table_.Append();
    table_.SetDateTime("Chwila", At(2009, 5, 14, 8, 0));
    table_.Post();
    table_.Append();
    table_.SetDateTime("Data", QDateTime());  // explicitly blank
    table_.Post();
    table_.Close();

    table_.Open(path_, DesktopOpenMode::ReadOnly);
    table_.First();
    EXPECT_EQ(At(1899, 12, 30), table_.AsDateTime("Data"));
    EXPECT_EQ(At(2009, 5, 14, 8, 0), table_.AsDateTime("Chwila"));
    EXPECT_TRUE(table_.IsNull("Czas"));  // a time is not a date
    table_.Next();
    EXPECT_EQ("30.12.1899", table_.AsText("Data"));
    EXPECT_EQ(At(1899, 12, 30), table_.AsDateTime("Chwila"));
}

TEST_F(DesktopTableTest, WithoutTheOptionBlankDatesStayNull) {
    DesktopTable::Create(path_, test::AllKindsFields());
    table_.Open(path_, DesktopOpenMode::ReadWrite);
    table_.Append();
    table_.Post();
    EXPECT_TRUE(table_.IsNull("Data"));
    EXPECT_TRUE(table_.IsNull("Chwila"));
}

TEST_F(DesktopTableTest, TheZeroDateOptionLeavesEditedRecordsAlone) {
    DesktopTable::Create(path_, test::AllKindsFields());
    table_.Open(path_, DesktopOpenMode::ReadWrite);
    table_.Append();
    table_.Post();
    table_.SetBlankDatesAsZeroDate(true);
    table_.First();
    table_.Edit();
    table_.SetInteger("Dluga", 1);
    table_.Post();
    EXPECT_TRUE(table_.IsNull("Data"));
}

// --- Flush ------------------------------------------------------------------------------

TEST_F(DesktopTableTest, FlushedRowsAreVisibleToASecondReaderBeforeClose) {
    Kody(0);
    AppendKod(1, "jeden");
    AppendKod(2, "dwa");
    table_.Flush();
    EXPECT_EQ((Kods{1, 2}), KodColumn(path_));
    table_.Sync();
    ASSERT_TRUE(table_.Locate("Kod", {std::int64_t{1}}));
    table_.Delete();
    table_.Flush();
    EXPECT_EQ((Kods{2}), KodColumn(path_));
}

// --- The register code lookup --------------------------------------------------------------

TEST_F(DesktopTableTest, LookupTextGivesTheColumnOfTheFirstMatchingRow) {
    Kody(0);
    AppendKod(15, "a", "5901234123457");
    AppendKod(15, "b", "second");
    table_.Close();
    EXPECT_EQ("5901234123457", LookupText(path_, "kod_ean", "kod", std::int64_t{15}));
    EXPECT_EQ(std::nullopt, LookupText(path_, "kod_ean", "kod", std::int64_t{16}));
}

TEST_F(DesktopTableTest, LookupTextRaisesForAMissingColumnOrFile) {
    MakeKody(path_, 0);
    EXPECT_TRUE(Contains(ErrorOf([&] { LookupText(path_, "ean", "kod", std::int64_t{1}); }),
                         "no field 'ean'"));
    EXPECT_TRUE(Contains(
        ErrorOf([&] { LookupText(dir_.File("Kody01.db"), "kod_ean", "kod", std::int64_t{1}); }),
        "does not exist"));
}

}  // namespace
}  // namespace rubso
