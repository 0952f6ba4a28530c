// The real program window through a shop's day against the private server,
// the substitute register library and the trading program's tables: login,
// goods export, sales rung up on the register, the sales read, the transfer
// to the trading program, the counter reset and closing. Then the ways a day
// goes wrong: the database down or refusing, a trading path that is not
// there, no register library, a goods table of an earlier year only.

#include <gtest/gtest.h>

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>

#include "app/ui/deletion_page.h"
#include "app/ui/error_report_page.h"
#include "app/ui/goods_list_source.h"
#include "app/ui/goods_page.h"
#include "app/ui/login_dialog.h"
#include "app/ui/main_window.h"
#include "app/ui/message_box.h"
#include "app/ui/message_field.h"
#include "app/ui/sales_page.h"
#include "app/ui/transfer_params_page.h"
#include "app/ui/window_operations.h"
#include "core/app_state.h"
#include "core/clock.h"
#include "core/codepage.h"
#include "core/file_utils.h"
#include "core/ini_file.h"
#include "core/installation_settings.h"
#include "core/polish_letters.h"
#include "core/text_utils.h"
#include "core/work_log.h"
#include "db/desktop/desktop_table.h"
#include "db/tdm.h"
#include "fixture/demo_goods.h"
#include "fixture/trading_database.h"
#include "fixture/trading_tables.h"
#include "tests/support/fb_test_server.h"
#include "tests/support/recording_operator.h"
#include "tests/support/temp_dir.h"
#include "trading/trading_tables.h"

namespace rubso {
namespace {

constexpr int kYear = 2024;
constexpr int kMonth = 3;
const std::string kProgramDir = RUBSO_PROGRAM_DIR;

std::string Mazovia(const std::string& cp1250) {
    return ConvertPolishLetters(cp1250, kRowWindows1250, kRowMazovia);
}

std::string RunCommandLine(const std::string& command) {
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
        ::pclose(pipe);
    }
    return output;
}

int Rows(const std::string& tablePath) {
    DesktopTable table;
    table.Open(tablePath, DesktopOpenMode::ReadOnly);
    return table.RecordCount();
}

class TypicalDayTest : public ::testing::Test {
  protected:
    TypicalDayTest() {
        previousDir_ = std::filesystem::current_path();
        ::unsetenv("RUBSO_SIM_STATE");
        App() = AppState{};

        goods_ = fixture::DemoGoods(300);
        tables_ = fixture::CreateTradingTables(trading_.Path(), kYear, kMonth);
        std::vector<fixture::AsortGood> asort;
        std::vector<fixture::StockCard> cards;
        for (const fixture::Good& good : goods_) {
            asort.push_back({good.asort, good.nazwa, good.stawkaVat, good.grupa, good.jm});
            cards.push_back({"01", good.asort, 100, 0, good.cena1, "", {}});
        }
        fixture::AddAsortGoods(tables_.asort, asort);
        fixture::AddStockCards(tables_.kama, cards);

        PrepareShop(db_);
        CopyFromProgramDir("koment.txt");
        CopyFromProgramDir(kWinIpLibraryFileName);
    }

    // The trading program's side of `database`, made by that program's own
    // user, and the program's settings pointing at it.
    void PrepareShop(const test::FbTestDatabase& database) {
        fb::Attachment attachment;
        fixture::AttachAsTradingOwner(attachment, database.Path(), database.Server().user,
                                      database.Server().password);
        fixture::TradingOptions trading;
        trading.year = kYear;
        fixture::CreateTradingDatabase(attachment, trading);
        for (const fixture::DemoGroup& group : fixture::DemoGroups()) {
            fixture::AddGroup(attachment, group.grupa, Mazovia(group.nazwa));
        }
        fixture::AddContractor(attachment, 0, "Klient", 1, "1");
        std::vector<fixture::Good> stored = goods_;
        for (fixture::Good& good : stored) good.nazwa = Mazovia(good.nazwa);
        fixture::AddGoods(attachment, kYear, fixture::KodKasaKind::Integer, stored);
        WriteSettings(database.Path(), trading_.Path());
    }

    ~TypicalDayTest() override {
        window_.reset();
        if (tdmh_) operations_.SetTdmh(nullptr);
        tdmh_.reset();
        SetDM(nullptr);
        dm_.reset();
        std::filesystem::current_path(previousDir_);
        WorkLog() = TMyEcho{};
        App() = AppState{};
    }

    void WriteSettings(const std::string& database, const std::string& tradingPath,
                       const std::string& user = "SYSDBA", const std::string& password = "") {
        const std::string ini = "[Rubso]\r\nPth=" + database + "\r\nUser=" + user + "\r\nPass=" +
                                (password.empty() ? db_.Server().password : password) +
                                "\r\n\r\n[Main]\r\nAsorPth=" + tradingPath +
                                "\r\nBarKod=KOD_EAN\r\nStandLiter=Mazovia\r\nTypDokum=WZ\r\n"
                                "\r\n[NMain]\r\nStandLiter=Mazovia\r\n"
                                "\r\n[KASA 1]\r\nNrMag=01\r\nKierWZ=DET\r\nNrRej=1\r\n";
        ASSERT_TRUE(WriteFileText(ini, program_.File("rubso.INI")));
    }
    void CopyFromProgramDir(const std::string& name) {
        std::filesystem::copy_file(kProgramDir + "/" + name, program_.File(name),
                                   std::filesystem::copy_options::overwrite_existing);
    }

    // The program's start as its main block does it, with the login dialog
    // pressed at once ("&Wejście" on the stored connection).
    void StartProgram() {
        LoadInstallationSettings(program_.File("rubso"));
        dm_ = std::make_unique<TDM>();
        SetDM(dm_.get());
        window_ = std::make_unique<TFrm>(
            operations_, source_,
            [this](QWidget* parent) {
                TfmLog login(parent);
                login.Open();
                login.EnterButton()->click();
                loginInfo = login.InfoLine()->text().toStdString();
                if (App().connectResult != 0) App().quitRequested = true;
            },
            program_.File("rubso"));
        if (App().quitRequested) return;
        tdmh_ = std::make_unique<Tdmh>();
        operations_.SetTdmh(tdmh_.get());
        window_->show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return window_->StartedUp(); }, 30000));
    }

    // Closing the window, as the operator ends the program.
    void StopProgram() {
        window_->close();
        window_.reset();
        operations_.SetTdmh(nullptr);
        tdmh_.reset();
        SetDM(nullptr);
        dm_.reset();
    }

    void ShowWork(int page) {
        window_->MainTabs()->setCurrentIndex(TFrm::kWorkPage);
        window_->WorkTabs()->setCurrentIndex(page);
    }
    std::string Status() const { return ToCp1250(window_->Messages()->text()); }
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const MessageBoxRequest& box : boxes_) texts.push_back(Cp1250ToUtf8(box.text));
        return texts;
    }
    std::string KasaSim(const std::string& arguments) const {
        return RunCommandLine(kProgramDir + "/kasa-sim --state " + program_.File("sim") + " " +
                              arguments + " 2>&1");
    }
    std::string Scalar(const std::string& sql) const {
        fb::Attachment attachment;
        db_.Attach(attachment);
        fb::Transaction transaction(attachment);
        transaction.Start();
        fb::Statement statement(attachment, sql);
        fb::ResultSet rows = statement.Open(transaction);
        return rows.Eof() ? "<no row>" : rows.AsString(0);
    }

    std::optional<ScopedFixedClock> clock_{std::in_place,
                                           QDateTime(QDate(kYear, kMonth, 15), QTime(18, 30, 0))};
    test::FbTestDatabase db_;
    test::TempDir program_;
    test::TempDir trading_;
    fixture::TradingTablePaths tables_;
    std::vector<fixture::Good> goods_;
    std::filesystem::path previousDir_;
    std::unique_ptr<TDM> dm_;
    WindowOperations operations_;
    DatabaseGoodsListSource source_;
    std::unique_ptr<TFrm> window_;
    std::unique_ptr<Tdmh> tdmh_;
    std::string loginInfo;
    std::vector<MessageBoxRequest> boxes_;
    ScopedMessageBoxAnswerer answerer_{[this](const MessageBoxRequest& request) {
        boxes_.push_back(request);
        return request.preselected;
    }};
};

TEST_F(TypicalDayTest, ACashiersDayFromLoginToTheTransferLandsInTheTradingProgramsTables) {
    test::CashierUserLock lock(db_.Server().dataDir, test::CashierUserLock::kUsesCashier);
    // The administrator's first login sets up the schema, the role, the
    // cashier and the grants; the day is the cashier's.
    StartProgram();
    ASSERT_FALSE(App().quitRequested) << loginInfo;
    EXPECT_EQ("2.18.4", Scalar("select pstring from parametry where nazwa='WERSJA'"));
    StopProgram();
    WriteSettings(db_.Path(), trading_.Path(), "KASJER", KasjerInitialPassword());
    StartProgram();
    ASSERT_FALSE(App().quitRequested) << loginInfo;
    ASSERT_TRUE(BoxTexts().empty()) << BoxTexts().front();
    EXPECT_NE(std::string::npos, window_->windowTitle().toStdString().find("KASA 1"));
    EXPECT_EQ("Kasa 01",
              window_->RegisterList()->model()->index(0, 0).data().toString().toStdString());

    // Morning: the bread goes to register 1.
    ShowWork(TFrm::kGoodsPage);
    GoodsListView* list = window_->Goods()->List();
    EXPECT_EQ("Ilość pozycji: 300", list->CountLabel()->text().toStdString());
    const int bread = list->Model().FindAsort("01-001");
    ASSERT_GE(bread, 0);
    EXPECT_EQ(
        "Chleb żytni",
        list->Model().index(bread, GoodsListModel::kNazwaColumn).data().toString().toStdString());
    list->GroupList()->item(0)->setCheckState(Qt::Checked);  // "01 Pieczywo"
    const std::vector<std::string> marked = list->MarkedSymbols();
    ASSERT_FALSE(marked.empty());
    window_->Goods()->ExportButton()->click();
    // Every tenth good has no register code yet and is refused: the failures
    // stay visible after the later goods went through.
    EXPECT_EQ("[ZTowar] Wysłano 22 z 24 towarów, błędy: 2 — szczegóły w Raporcie o błędach",
              Cp1250ToUtf8(Status()));
    EXPECT_TRUE(window_->Messages()->IsError());
    EXPECT_EQ(0, list->Model().MarkedCount());
    EXPECT_NE(std::string::npos, KasaSim("list 1").find("Chleb żytni"));

    // The register's goods, read back.
    ShowWork(TFrm::kRegisterGoodsPage);
    window_->RegisterGoodsList()->LoadButton()->click();
    const std::vector<std::string> lines = window_->RegisterGoodsList()->Lines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_NE(std::string::npos, Cp1250ToUtf8(lines[3]).find("Chleb żytni"));
    EXPECT_EQ(static_cast<int>(lines.size()) - 3, window_->Deletion()->Model().rowCount());

    // The shop's day on the register.
    ASSERT_NE(std::string::npos, KasaSim("sell 1 1 2 2 1 3 4").find("receipt"));

    // Evening: the sales read and the transfer.
    ShowWork(TFrm::kSalesPage);
    window_->Sales()->ReadButton()->click();
    EXPECT_FALSE(window_->Messages()->IsError()) << Status();
    std::vector<std::string> reads;
    ListFiles(reads, App().kasaDir, "*.txt");
    ASSERT_EQ(1u, reads.size());

    window_->Sales()->SendButton()->click();
    ASSERT_FALSE(window_->Sales()->ReadsList()->isHidden());
    window_->SendReadAction()->trigger();
    EXPECT_EQ("Przesłany dok. WZ/101240315", Cp1250ToUtf8(Status()));
    EXPECT_FALSE(window_->Messages()->IsError());
    // The document just booked, checked against the register's receipts.
    EXPECT_EQ("Dokument WZ/101240315 zgodny z paragonami kasy",
              Cp1250ToUtf8(window_->Sales()->MemoLines().front()));
    EXPECT_EQ(3, Rows(tables_.maga));
    EXPECT_EQ(1, Rows(tables_.rejSprz));

    // The counters go back to zero for tomorrow.
    window_->Sales()->ResetButton()->click();
    EXPECT_NE(std::string::npos, KasaSim("list 1").find("0 receipts"));

    // Register codes for the bread that has none yet, and the goods-file
    // test.
    ShowWork(TFrm::kGoodsPage);
    list->GroupList()->item(0)->setCheckState(Qt::Checked);  // "01 Pieczywo"
    window_->AssignCodesAction()->trigger();
    EXPECT_EQ("0", Scalar("select count(*) from KARTAS" + std::to_string(kYear) +
                          " where grupa = '01' and stawka_vat > 0 and coalesce(kod_kasa, 0) = 0"));
    window_->ErrorReport()->GoodsFileTestAction()->trigger();
    EXPECT_FALSE(window_->ErrorReport()->Text().empty());

    // Closing stores the list choice and logs the end.
    window_->Goods()->List()->SetListChoice(GoodsListView::kAll);
    window_->close();
    EXPECT_EQ(std::to_string(GoodsListView::kAll),
              Scalar("select pinteger from parametry where nazwa='FW'"));
    const std::string log = ReadFileText(WorkLogPath());
    EXPECT_NE(std::string::npos, log.find("***********  Koniec pracy - Close"));
    EXPECT_EQ(std::string::npos, log.find("no permission")) << log;
    EXPECT_TRUE(BoxTexts().empty()) << BoxTexts().front();
}

// --- A day that goes wrong -------------------------------------------------------------

TEST_F(TypicalDayTest, WrongCredentialsAreRefusedWithTheirMessage) {
    WriteSettings(db_.Path(), trading_.Path());
    std::string ini = ReadFileText(program_.File("rubso.INI"));
    ini = ReplaceAll(ini, "Pass=" + db_.Server().password, "Pass=zlehaslo");
    WriteFileText(ini, program_.File("rubso.INI"));
    StartProgram();
    EXPECT_TRUE(App().quitRequested);
    EXPECT_EQ(1, App().connectResult);
    EXPECT_EQ("Brak dostępu do bazy (1)", loginInfo);
    EXPECT_EQ(std::vector<std::string>{"Polecenie „Logowanie do bazy danych” zakończyło się "
                                       "błędem:\n\nBłędna nazwa użytkownika lub hasło"},
              BoxTexts());
}

// The server killed under the open program and started again: the next
// command says the connection is lost (not that the goods table is
// missing), the first one after the restart works, and closing with the
// server down again shows nothing.
TEST_F(TypicalDayTest, AServerKilledAndStartedAgainIsSaidInPolishAndTheNextCommandWorks) {
    test::PrivateFbServer server;
    test::FbTestDatabase database(server.Server());
    PrepareShop(database);
    StartProgram();
    ASSERT_FALSE(App().quitRequested) << loginInfo;
    ShowWork(TFrm::kGoodsPage);
    GoodsListView* list = window_->Goods()->List();
    QRadioButton* all = list->ListChoiceButton(GoodsListView::kAll);
    boxes_.clear();

    server.Kill();
    all->click();
    EXPECT_EQ(
        std::vector<std::string>{"Wystąpił błąd:\n\n" + Cp1250ToUtf8(fb::ConnectionLostMessage())},
        BoxTexts());
    EXPECT_EQ(std::string::npos, ReadFileText(WorkLogPath()).find("FORM :dm"));

    server.Start();
    boxes_.clear();
    all->click();
    EXPECT_TRUE(BoxTexts().empty()) << BoxTexts().front();
    EXPECT_EQ(300, list->Model().rowCount());

    server.Kill();
    window_->close();
    EXPECT_TRUE(BoxTexts().empty()) << BoxTexts().front();
    EXPECT_NE(std::string::npos,
              ReadFileText(WorkLogPath()).find("***********  Koniec pracy - Close"));
    server.Start();  // so the test database can be dropped
}

TEST_F(TypicalDayTest, ADatabaseThatIsDownIsRefusedAndTheLoginCanTryAgain) {
    WriteSettings("127.0.0.1/1:/nie/ma/bazy.fdb", trading_.Path());
    LoadInstallationSettings(program_.File("rubso"));
    dm_ = std::make_unique<TDM>();
    SetDM(dm_.get());
    test::ScopedRecordingOperator operatorSeam;  // the main window's part while it logs in
    TfmLog login;
    login.Open();
    login.show();
    login.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&login));
    login.EnterButton()->click();
    EXPECT_NE(0, App().connectResult);
    EXPECT_FALSE(App().quitRequested);
    EXPECT_TRUE(login.PathEdit()->isVisible());
    EXPECT_NE(std::string::npos,
              login.InfoLine()->text().toStdString().find("Brak dostępu do bazy"));
    EXPECT_EQ(1u, operatorSeam->MessageTexts().size());  // the server's or the login's message

    login.PathEdit()->setText(QString::fromStdString(db_.Path()));
    login.PasswordEdit()->setFocus();
    login.PasswordEdit()->setText(QString::fromStdString(db_.Server().password));
    QTest::keyClick(login.PasswordEdit(), Qt::Key_Return);
    EXPECT_EQ(0, App().connectResult);
    EXPECT_EQ(db_.Path(), App().dbPath);
}

TEST_F(TypicalDayTest, ATradingPathThatIsNotThereIsRefusedAndTheOldOneStays) {
    StartProgram();
    ASSERT_FALSE(App().quitRequested);
    QLineEdit* path = window_->TransferParameters()->PathEdit();
    path->setText("/nie/ma/handlu/");
    emit path->editingFinished();
    EXPECT_TRUE(window_->Messages()->IsError());
    EXPECT_NE(std::string::npos, Cp1250ToUtf8(Status()).find("Brak kartoteki asortymentowej"));
    EXPECT_EQ(trading_.Path(), App().mainSettings.asorPth);
    EXPECT_EQ(trading_.Path(), App().iniFile->ReadString("Main", "AsorPth", ""));
}

TEST_F(TypicalDayTest, WithoutTheRegisterLibraryTheReadFailsInRedAndTheWindowStaysUsable) {
    std::filesystem::remove(program_.File(kWinIpLibraryFileName));
    StartProgram();
    ASSERT_FALSE(App().quitRequested);
    boxes_.clear();
    window_->Sales()->ReadButton()->click();
    EXPECT_TRUE(window_->Messages()->IsError());
    EXPECT_FALSE(Status().empty());
    EXPECT_TRUE(window_->Sales()->ReadButton()->isEnabled());
    ShowWork(TFrm::kGoodsPage);
    EXPECT_EQ(300, window_->Goods()->List()->Model().rowCount());
}

TEST_F(TypicalDayTest, AGoodsTableOfAnEarlierYearOnlyIsNamedAndTheWindowStaysUsable) {
    clock_.reset();
    clock_.emplace(QDateTime(QDate(kYear + 1, 1, 2), QTime(8, 0, 0)));
    StartProgram();
    ASSERT_FALSE(App().quitRequested);
    boxes_.clear();
    ShowWork(TFrm::kGoodsPage);
    ASSERT_FALSE(boxes_.empty());
    EXPECT_EQ(
        "Polecenie „Eksport towarów do kasy” zakończyło się błędem:\n\n"
        "Brak kartoteki towarów Kartas2025 w bazie danych (rok pracy 2025)",
        BoxTexts().back());
    EXPECT_EQ(0, window_->Goods()->List()->Model().rowCount());
    EXPECT_TRUE(window_->Goods()->ExportButton()->isEnabled());
    ShowWork(TFrm::kSalesPage);
    EXPECT_EQ(TFrm::kSalesPage, window_->WorkTabs()->currentIndex());
}

}  // namespace
}  // namespace rubso
