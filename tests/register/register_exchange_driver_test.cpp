// TfmE's working files, the modem session and the reporting of results,
// through the real loader with the substitute library (or, for what the
// substitute never does, a scripted library).

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/codepage.h"
#include "core/file_utils.h"
#include "core/installation_settings.h"
#include "core/text_utils.h"
#include "register/current_register.h"
#include "register/register_code_table.h"
#include "register/register_exchange.h"
#include "tests/register/exchange_test_support.h"

namespace rubso {
namespace {

using test::ReadBytes;
using test::WriteBytes;
namespace fs = std::filesystem;

const std::string kKonfigOfRegisterOne = "$1\t1:9600:STX0:1:E\t0\tK10\t\r\n";

// --- KONFIG.txt ------------------------------------------------------------------

using DriverConfig = test::ExchangeTest;

TEST_F(DriverConfig, IsWrittenFromTheCurrentRegister) {
    ASSERT_TRUE(e_.EnsureDriverConfig());
    EXPECT_EQ(kKonfigOfRegisterOne, ReadBytes("KONFIG.txt"));
}

TEST_F(DriverConfig, FileHoldingStx0AnywhereIsTheOperatorsAndIsKept) {
    WriteBytes("KONFIG.txt", "moja konfiguracja STX0 bez reszty");
    ASSERT_TRUE(e_.EnsureDriverConfig());
    EXPECT_EQ("moja konfiguracja STX0 bez reszty", ReadBytes("KONFIG.txt"));
}

TEST_F(DriverConfig, FileWithoutStx0IsReplaced) {
    WriteBytes("KONFIG.txt", "$1\t1:9600:STX1:1:E\t0\tK10\t\r\n");
    ASSERT_TRUE(e_.EnsureDriverConfig());
    EXPECT_EQ(kKonfigOfRegisterOne, ReadBytes("KONFIG.txt"));
}

TEST_F(DriverConfig, LineWrittenForAnotherRegisterFollowsTheChosenOne) {
    SelectRegister(test::DefinitionOf(2));
    ASSERT_TRUE(e_.EnsureDriverConfig());
    SelectRegister(test::DefinitionOf(1));
    ASSERT_TRUE(e_.EnsureDriverConfig());
    EXPECT_EQ(kKonfigOfRegisterOne, ReadBytes("KONFIG.txt"));
}

TEST_F(DriverConfig, OperatorsEditInTheProgramsFormIsKeptWhenTheRegisterChanges) {
    ASSERT_TRUE(e_.EnsureDriverConfig());
    const std::string edited = "$1\t4:9600:STX0:1:E\t7\tK10\t\r\n";
    WriteBytes("KONFIG.txt", edited);
    SelectRegister(test::DefinitionOf(2));
    ASSERT_TRUE(e_.EnsureDriverConfig());
    EXPECT_EQ(edited, ReadBytes("KONFIG.txt"));
}

TEST_F(DriverConfig, LineWithEmptyPiecesIsRepairedOnceARegisterIsChosen) {
    WriteBytes("KONFIG.txt", "$\t::STX0:1:E\t\tK10\t\r\n");
    ASSERT_TRUE(e_.EnsureDriverConfig());
    EXPECT_EQ(kKonfigOfRegisterOne, ReadBytes("KONFIG.txt"));
}

TEST_F(DriverConfig, HandEditedLineIsKeptWhenTheRegisterChanges) {
    const std::string edited = "$2\t3:19200:STX0:1:E\t9\tK10\tmodem\r\n";
    WriteBytes("KONFIG.txt", edited);
    ASSERT_TRUE(e_.EnsureDriverConfig());
    EXPECT_EQ(edited, ReadBytes("KONFIG.txt"));
}

TEST_F(DriverConfig, IsNotWrittenWhileNoRegisterIsChosen) {
    ClearCurrentRegister();
    EXPECT_FALSE(e_.EnsureDriverConfig());
    EXPECT_FALSE(fs::exists("KONFIG.txt"));
    EXPECT_TRUE(operator_->StatusIsError());
    EXPECT_EQ(Cp1250("Nie wybrano kasy - nie zapisano pliku KONFIG.txt"), operator_->StatusText());
    EXPECT_EQ(kNotCalledResult, e_.LastResult());
}

TEST_F(DriverConfig, UnwritableFileIsReportedAndNothingIsCalled) {
    fs::create_directory("KONFIG.txt");
    std::vector<std::string> marked = {"MLEKO"};
    e_.aExpoTowarExecute(marked, {});
    EXPECT_EQ(Cp1250("Nie można zapisać pliku KONFIG.txt"), operator_->StatusText());
    EXPECT_TRUE(operator_->StatusIsError());
    EXPECT_EQ(std::vector<std::string>{"MLEKO"}, marked);
    EXPECT_FALSE(fs::exists("in/ZCTowar.in"));
    EXPECT_EQ(std::vector<std::string>{Cp1250("Nie można zapisać pliku KONFIG.txt")},
              dir_.ErrorReportEntries());
}

// --- Input and output files ------------------------------------------------------------

using WorkingFiles = test::ExchangeTest;

TEST_F(WorkingFiles, InputFileHoldsTheThreeHeaderLines) {
    e_.SetLastResult(7);
    ASSERT_TRUE(e_.PrepareInputFile("KTowMax"));
    EXPECT_EQ(0, e_.LastResult());
    EXPECT_EQ("in/KTowMax.in", e_.InputFilePath());
    EXPECT_EQ("#1\r\n#\r\n#\r\n", ReadBytes("in/KTowMax.in"));
}

TEST_F(WorkingFiles, RecordIsAddedAfterTheHeader) {
    dir_.SetRegisterKey(1, "NrKasySystem", " 12 ");
    ASSERT_TRUE(e_.PrepareInputFile("KTowar"));
    ASSERT_TRUE(e_.AddInputRecord("$12"));
    EXPECT_EQ("#12\r\n#\r\n#\r\n$12\r\n", ReadBytes("in/KTowar.in"));
    ASSERT_TRUE(e_.PrepareInputFile("KTowar"));  // a new file holds one record at most
    EXPECT_EQ("#12\r\n#\r\n#\r\n", ReadBytes("in/KTowar.in"));
}

TEST_F(WorkingFiles, UnwritableInputDirectoryIsReported) {
    fs::remove_all("in");
    WriteBytes("in", "a file where the directory should be");
    EXPECT_FALSE(e_.PrepareInputFile("KTowMax"));
    EXPECT_EQ(Cp1250("Nie można zapisać pliku in/KTowMax.in"), operator_->StatusText());
    EXPECT_TRUE(operator_->StatusIsError());
    EXPECT_EQ(kNotCalledResult, e_.LastResult());
}

TEST_F(WorkingFiles, OldOutputIsDeletedBeforeTheCall) {
    ASSERT_TRUE(e_.PrepareOutputFile("TowarMax"));
    EXPECT_EQ(App().kasaDir + "TowarMax.out", e_.OutputFilePath());
    WriteBytes(e_.OutputFilePath(), "stale");
    ASSERT_TRUE(e_.PrepareOutputFile("TowarMax"));
    EXPECT_FALSE(fs::exists(e_.OutputFilePath()));
}

TEST_F(WorkingFiles, FailedReadNeverLeavesStaleDataToBeRead) {
    ASSERT_TRUE(e_.PrepareOutputFile("TowarMax"));
    WriteBytes(e_.OutputFilePath(), "#1\r\n#1\r\n#KOD\r\n$00099\tStale\t1\t1\t1\t1\r\n");
    ASSERT_EQ(0, dir_.Tool({"fail", "1", "TowarMax", "25"}));
    EXPECT_FALSE(e_.WczytajTowary().has_value());
    EXPECT_FALSE(fs::exists(App().kasaDir + "TowarMax.out"));
    EXPECT_TRUE(RegisterCodeTable(CurrentKodyPath()).Rows().empty());
}

TEST_F(WorkingFiles, PathBeyondTheLibrarysBufferIsRefusedNeverCut) {
    App().dayDir = App().dataDir + std::string(240, 'd') + "/";
    SetKasaDir();
    EXPECT_FALSE(e_.WczytajTowary().has_value());
    EXPECT_EQ(kNotCalledResult, e_.LastResult());
    EXPECT_TRUE(operator_->StatusIsError());
    EXPECT_NE(std::string::npos, operator_->StatusText().find(Cp1250("dłuższa niż 255 znaków")))
        << operator_->StatusText();
    EXPECT_EQ(0u, operator_->StatusText().find("[TowarMax] "));
}

// --- Reporting ----------------------------------------------------------------------------

using Reporting = test::ExchangeTest;

TEST_F(Reporting, SuccessfulTransferShowsTransmissionWithoutErrors) {
    e_.SetLastResult(0);
    e_.ReportTransferResult("ZTowar");
    EXPECT_EQ((test::RecordingOperator::Status{Cp1250("[ZTowar] - Transmisja bez błędów"), false}),
              operator_->statuses.back());
    EXPECT_TRUE(dir_.ErrorReportEntries().empty());
}

TEST_F(Reporting, SuccessfulReadClearsTheMessageField) {
    e_.SetLastResult(0);
    e_.LogCallResult("TowarMax");
    EXPECT_EQ((test::RecordingOperator::Status{"", false}), operator_->statuses.back());
}

TEST_F(Reporting, ErrorNamesTheCodeItsDescriptionAndTheGood) {
    ExportGood good;
    good.asort = "MLEKO";
    good.nazwa = "Mleko 2%";
    e_.SetLastResult(7);
    e_.ReportTransferResult("ZTowar", &good);
    const std::string message =
        "[ZTowar] Error 7 : " + e_.ErrorDescription(7) + " (Asort=MLEKO Mleko 2%)";
    EXPECT_FALSE(e_.ErrorDescription(7).empty());
    EXPECT_EQ((test::RecordingOperator::Status{message, true}), operator_->statuses.back());
    EXPECT_EQ(std::vector<std::string>{message}, dir_.ErrorReportEntries());
    EXPECT_EQ("16.03.2026 10:30:00: " + message + "\r\n", ReadBytes(App().errorReportPath));
}

TEST_F(Reporting, DescriptionIsTheKomentLineOfTheCodeRightAlignedInThree) {
    WriteBytes("koment.txt", "  7\t  Brak rekordow  \r\n 17\tCena\r\n107\tInny\r\n");
    e_.InitElzab();
    EXPECT_EQ("Brak rekordow", e_.ErrorDescription(7));
    EXPECT_EQ("Cena", e_.ErrorDescription(17));
    EXPECT_EQ("Inny", e_.ErrorDescription(107));
    EXPECT_EQ("", e_.ErrorDescription(1));
    e_.SetLastResult(1);
    e_.LogCallResult("OTSpMax");
    EXPECT_EQ("[OTSpMax] Error 1 : ", operator_->StatusText());
}

TEST_F(Reporting, MissingKomentLeavesDescriptionsEmpty) {
    fs::remove("koment.txt");
    e_.InitElzab();
    e_.SetLastResult(7);
    e_.LogCallResult("KSprOp");
    EXPECT_EQ("[KSprOp] Error 7 : ", operator_->StatusText());
    EXPECT_EQ(std::vector<std::string>{"[KSprOp] Error 7 : "}, dir_.ErrorReportEntries());
}

TEST_F(Reporting, UnreadableKomentIsReportedAndLeavesDescriptionsEmpty) {
    fs::remove("koment.txt");
    fs::create_directory("koment.txt");
    e_.InitElzab();
    EXPECT_TRUE(operator_->StatusIsError());
    EXPECT_EQ(0u, operator_->StatusText().find(Cp1250("Nie można odczytać pliku koment.txt")));
    EXPECT_EQ("", e_.ErrorDescription(7));
}

TEST_F(Reporting, DeletedErrorReportIsStartedAfresh) {
    e_.SetLastResult(9);
    e_.LogCallResult("OSprzed");
    fs::remove(App().errorReportPath);
    e_.LogCallResult("OSprzed");
    EXPECT_EQ(1u, dir_.ErrorReportEntries().size());
}

// --- Start-up -------------------------------------------------------------------------------

using StartUp = test::ExchangeTest;

TEST_F(StartUp, PreparesTheErrorReportDirectoriesAndModemCommands) {
    EXPECT_EQ(dir_.Path() + "out/log.txt", App().errorReportPath);
    EXPECT_TRUE(fs::is_directory(dir_.Path() + "in"));
    EXPECT_TRUE(fs::is_directory(dir_.Path() + "out"));
    EXPECT_EQ(
        "$AT&F0\r\n$ATS0=0\r\n$ATS12=0\r\n$ATL1\r\n$ATN1\r\n$ATM1\r\n$ATX4\r\n$AT&Q5\r\n"
        "$AT&R1\r\n$AT&S0\r\n$ATQ0\r\n$ATE1\r\n$ATV1\r\n$AT&K3\r\n$AT&D0\r\n$AT&C1",
        ReadBytes("Modkonf.txt"));
    EXPECT_TRUE(e_.Library().IsLoaded());
}

TEST_F(StartUp, ExistingModemCommandsAreTheOperatorsAndSurvive) {
    WriteBytes("Modkonf.txt", "$ATZ");
    e_.InitElzab();
    EXPECT_EQ("$ATZ", ReadBytes("Modkonf.txt"));
    fs::remove("Modkonf.txt");
    e_.InitElzab();
    EXPECT_EQ(16u, SplitLines(ReadBytes("Modkonf.txt")).size());
}

TEST_F(StartUp, KomentOfTheWorkingDirectoryComesBeforeTheOneBesideTheProgram) {
    const test::TempDir program;
    WriteBytes(program.File("koment.txt"), "  7\tZ programu\r\n");
    App().appDir = program.Path();
    fs::remove("koment.txt");
    e_.InitElzab();
    EXPECT_EQ("Z programu", e_.ErrorDescription(7));
    WriteBytes("koment.txt", "  7\tOperatora\r\n");
    e_.InitElzab();
    EXPECT_EQ("Operatora", e_.ErrorDescription(7));
    EXPECT_EQ(1, std::distance(fs::directory_iterator(program.Path()), {}));
}

TEST_F(StartUp, MissingLibraryIsReportedAndEveryCallRefused) {
    TfmE without(dir_.Path() + "nowhere");
    without.InitElzab();
    EXPECT_TRUE(operator_->StatusIsError());
    EXPECT_NE(std::string::npos, operator_->StatusText().find("Brak biblioteki kasy"));
    without.aKasujWszystkieTowaryExecute();
    EXPECT_EQ(kNotCalledResult, without.LastResult());
    EXPECT_EQ(0u, operator_->StatusText().find("[KTowMax] Brak biblioteki kasy"));
}

// --- The scripted library --------------------------------------------------------------------

class ScriptedTest : public test::ExchangeTest {
  protected:
    ScriptedTest() {
        fs::create_directory("scripted");
        scripted_.InitElzab();
        operator_->statuses.clear();
    }
    void SetResult(int result) { WriteBytes("scripted/result", std::to_string(result)); }
    void SetOutput(const std::string& text) { WriteBytes("scripted/output", text); }
    // The functions called so far, in order.
    std::vector<std::string> Calls() const {
        std::vector<std::string> names;
        for (const std::string& line : SplitLines(ReadBytes("scripted/calls.txt"))) {
            names.push_back(line.substr(0, line.find('\t')));
        }
        return names;
    }
    std::vector<std::string> captions_;
    TfmE scripted_{RUBSO_SCRIPTED_DIR};
};

using ModemSessionTest = ScriptedTest;

TEST_F(ModemSessionTest, DirectAndMultiplexerRegistersNeedNoSession) {
    for (const char* kind : {"0", "1"}) {
        dir_.SetRegisterKey(1, "Connection", kind);
        EXPECT_TRUE(scripted_.ModStart());
    }
    EXPECT_TRUE(Calls().empty());
    EXPECT_FALSE(scripted_.Session().connected);
}

TEST_F(ModemSessionTest, SecondStartForTheSameRegisterCallsOnce) {
    dir_.SetRegisterKey(1, "Connection", "2");
    scripted_.onCaptionChange = [this](const std::string& caption) {
        captions_.push_back(caption);
    };
    EXPECT_TRUE(scripted_.ModStart());
    EXPECT_TRUE(scripted_.ModStart());
    EXPECT_EQ(std::vector<std::string>{"ModStart"}, Calls());
    EXPECT_EQ(1, scripted_.Session().connectedRegister);
    EXPECT_EQ(
        std::vector<std::string>{App().appTitle + Cp1250("          Połącznie modemowe z kasą 1")},
        captions_);
}

TEST_F(ModemSessionTest, SwitchingRegisterClosesTheOldSessionFirst) {
    dir_.SetRegisterKey(1, "Connection", "2");
    dir_.SetRegisterKey(2, "Connection", "2");
    scripted_.onCaptionChange = [this](const std::string& caption) {
        captions_.push_back(caption);
    };
    ASSERT_TRUE(scripted_.ModStart());
    SelectRegister(test::DefinitionOf(2));
    ASSERT_TRUE(scripted_.ModStart());
    EXPECT_EQ((std::vector<std::string>{"ModStart", "ModStop", "ModStart"}), Calls());
    EXPECT_EQ(2, scripted_.Session().connectedRegister);
    EXPECT_EQ((std::vector<std::string>{
                  App().appTitle + Cp1250("          Połącznie modemowe z kasą 1"), App().appTitle,
                  App().appTitle + Cp1250("          Połącznie modemowe z kasą 2")}),
              captions_);
}

TEST_F(ModemSessionTest, FailedStartLeavesTheSessionClosedAndTheCaptionAlone) {
    dir_.SetRegisterKey(1, "Connection", "2");
    scripted_.onCaptionChange = [this](const std::string& caption) {
        captions_.push_back(caption);
    };
    SetResult(25);
    EXPECT_FALSE(scripted_.ModStart());
    EXPECT_FALSE(scripted_.Session().connected);
    EXPECT_EQ(-1, scripted_.Session().connectedRegister);
    EXPECT_TRUE(captions_.empty());
    EXPECT_EQ(0u, operator_->StatusText().find("[ModStart] Error 25 : "));
    EXPECT_TRUE(operator_->StatusIsError());
}

TEST_F(ModemSessionTest, StopClosesEvenWhenTheLibraryFails) {
    dir_.SetRegisterKey(1, "Connection", "2");
    ASSERT_TRUE(scripted_.ModStart());
    SetResult(20);
    scripted_.ModStop();
    EXPECT_FALSE(scripted_.Session().connected);
    EXPECT_EQ(-1, scripted_.Session().connectedRegister);
    EXPECT_EQ(0u, operator_->StatusText().find("[ModStop] Error 20 : "));
}

TEST_F(ModemSessionTest, SuccessfulStopIsNotReportedAndStopWithoutSessionCallsNothing) {
    dir_.SetRegisterKey(1, "Connection", "2");
    scripted_.onCaptionChange = [this](const std::string& caption) {
        captions_.push_back(caption);
    };
    scripted_.ModStop();
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(std::vector<std::string>{App().appTitle}, captions_);
    ASSERT_TRUE(scripted_.ModStart());
    operator_->statuses.clear();
    scripted_.ModStop();
    EXPECT_EQ((std::vector<std::string>{"ModStart", "ModStop"}), Calls());
    EXPECT_TRUE(operator_->statuses.empty());
}

TEST_F(ModemSessionTest, ExchangeOnAModemRegisterOpensTheSessionAndKeepsIt) {
    dir_.SetRegisterKey(1, "Connection", "2");
    SetOutput("#1\r\n#0\r\n#KOD\r\n");
    ASSERT_TRUE(scripted_.WczytajTowary().has_value());
    ASSERT_TRUE(scripted_.WczytajTowary().has_value());
    EXPECT_EQ((std::vector<std::string>{"ModStart", "TowarMax", "TowarMax"}), Calls());
    EXPECT_TRUE(scripted_.Session().connected);
}

using SubstituteModem = test::ExchangeTest;

TEST_F(SubstituteModem, RegisterOnModemAnswersOnceTheSessionIsOpen) {
    dir_.SetRegisterKey(1, "Connection", "2");
    ASSERT_EQ(0, dir_.Tool({"modem", "1", "on"}));
    const auto list = e_.WczytajTowary();
    ASSERT_TRUE(list.has_value()) << operator_->StatusText();
    EXPECT_EQ("#1", list->at(0));
    EXPECT_TRUE(e_.Session().connected);
}

// --- Library output that cannot be trusted ------------------------------------------------------

using DamagedOutput = ScriptedTest;

TEST_F(DamagedOutput, SuccessWithoutOutputLeavesTheListAsItWas) {
    EXPECT_FALSE(scripted_.WczytajTowary().has_value());
    EXPECT_EQ(Cp1250("[TowarMax] Brak pliku wyników ") + App().kasaDir + "TowarMax.out",
              operator_->StatusText());
    EXPECT_TRUE(operator_->StatusIsError());
}

TEST_F(DamagedOutput, SalesReadWithoutOutputNeverResetsTheCounters) {
    scripted_.aZerujLicznikiExecute();
    EXPECT_EQ(std::vector<std::string>{"OSprzed"}, Calls());
    EXPECT_NE(0, scripted_.LastResult());
    EXPECT_TRUE(operator_->StatusIsError());
    EXPECT_NE(std::string::npos,
              operator_->StatusText().find(Cp1250("liczniki nie zostały wyzerowane")));
}

TEST_F(DamagedOutput, SalesReadThatLeftItsOutputLetsTheResetRun) {
    SetOutput("#1\r\n#0\r\n#PARAGON\r\n");
    scripted_.aZerujLicznikiExecute();
    EXPECT_EQ((std::vector<std::string>{"OSprzed", "KSprOp"}), Calls());
    EXPECT_EQ(0, scripted_.LastResult());
}

TEST_F(DamagedOutput, HugeOutputIsNotLoaded) {
    SetOutput(std::string(33u * 1024u * 1024u, 'x'));
    EXPECT_FALSE(scripted_.WczytajTowary().has_value());
    EXPECT_NE(std::string::npos, operator_->StatusText().find(Cp1250("zbyt duży")));
}

TEST_F(DamagedOutput, GoodsListIsShownUnchangedEvenWhenItCannotRefreshTheCodeTable) {
    RegisterCodeTable(CurrentKodyPath()).Put({5, "Stary", 1.0, "", ""});
    SetOutput("#1\n#1\n#KOD\n$00012\tMleko\t2\t1\tdwa\t1\n");
    const auto list = scripted_.WczytajTowary();
    ASSERT_TRUE(list.has_value());
    EXPECT_EQ((std::vector<std::string>{"#1", "#1", "#KOD", "$00012\tMleko\t2\t1\tdwa\t1"}), *list);
    EXPECT_TRUE(operator_->StatusIsError());
    EXPECT_EQ(1u, RegisterCodeTable(CurrentKodyPath()).Rows().size());
    EXPECT_EQ(5, RegisterCodeTable(CurrentKodyPath()).Rows()[0].kod);
}

TEST_F(DamagedOutput, GoodsListEndsAtAControlZ) {
    SetOutput("#1\r\n#1\r\n#KOD\r\n$00012\tMleko\t2\t1\t249\t\r\n\x1A$00013\tjunk");
    const auto list = scripted_.WczytajTowary();
    ASSERT_TRUE(list.has_value());
    EXPECT_EQ(4u, list->size());
    EXPECT_EQ((std::vector<RegisterCodeRow>{{12, "Mleko", 2.49, "", ""}}),
              RegisterCodeTable(CurrentKodyPath()).Rows());
}

}  // namespace
}  // namespace rubso
