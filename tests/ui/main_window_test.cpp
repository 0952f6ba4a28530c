// The main window against recorded operations: start-up, every command's
// framing, tabs and help, keys, menus and closing.

#include "app/ui/main_window.h"

#include <gtest/gtest.h>

#include <QAbstractSpinBox>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <algorithm>
#include <csignal>
#include <memory>

#include "app/ui/deletion_page.h"
#include "app/ui/error_report_page.h"
#include "app/ui/goods_page.h"
#include "app/ui/help_window.h"
#include "app/ui/message_box.h"
#include "app/ui/message_field.h"
#include "app/ui/register_params_page.h"
#include "app/ui/sales_page.h"
#include "app/ui/termination_signal.h"
#include "app/ui/transfer_params_page.h"
#include "core/app_state.h"
#include "core/clock.h"
#include "core/codepage.h"
#include "core/command_guard.h"
#include "core/file_lock.h"
#include "core/file_utils.h"
#include "core/ini_file.h"
#include "core/text_utils.h"
#include "core/work_log.h"
#include "register/register_lock.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/fake_goods_source.h"
#include "tests/ui/fake_window_operations.h"

namespace rubso {
namespace {

using test::FakeGoodsSource;
using test::FakeWindowOperations;

constexpr const char* kTitle = "ANVO_Soft             Wymiana danych z kasami ELZAB ";

class MainWindowTest : public ::testing::Test {
  protected:
    MainWindowTest() {
        App() = AppState{};
        AppState& app = App();
        app.appDir = dir_.Path();
        app.workDir = dir_.Path();
        app.dataDir = dir_.File("Dane/");
        EnsureDir(app.dataDir);
        app.errorReportPath = app.dataDir + "Error.txt";
        app.appTitle = kTitle;
        app.iniFile = std::make_shared<IniFile>(dir_.File("rubso.INI"));
        InitWorkLog(app.dataDir, QDate(2024, 3, 15));
        source_.goods = {FakeGoodsSource::Good("A1", "Alfa", "01"),
                         FakeGoodsSource::Good("B2", "Beta", "02", 4),
                         FakeGoodsSource::Good("C3", "Gamma", "01")};
        source_.groups = {{"01", "Pierwsza"}, {"02", "Druga"}};
    }
    ~MainWindowTest() override {
        window_.reset();
        WorkLog() = TMyEcho{};
        App() = AppState{};
    }

    // Creates the window (the login only marks the connection made) and runs
    // its first showing.
    void Start() {
        Create([](QWidget*) { App().connectResult = 0; });
        window_->show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return window_->StartedUp(); }));
        window_->activateWindow();
        (void)QTest::qWaitForWindowActive(window_.get());
    }
    void Create(TFrm::LoginRunner login) {
        window_.reset();  // a window leaving takes the operator seam with it
        window_ = std::make_unique<TFrm>(ops_, source_, std::move(login), "/opt/rubso/rubso");
    }

    // The work log's texts without their stamps.
    std::vector<std::string> LogTexts() const {
        std::vector<std::string> texts;
        for (const std::string& line : SplitLines(ReadFileText(WorkLogPath()))) {
            const std::size_t stamp = line.find(": ");
            texts.push_back(stamp == std::string::npos ? line : line.substr(stamp + 2));
        }
        return texts;
    }
    bool Logged(const std::string& text) const {
        const std::vector<std::string> texts = LogTexts();
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }
    void ShowWork(int page) {
        window_->MainTabs()->setCurrentIndex(TFrm::kWorkPage);
        window_->WorkTabs()->setCurrentIndex(page);
    }
    std::string StatusText() const { return ToCp1250(window_->Messages()->text()); }

    test::TempDir dir_;
    ScopedFixedClock clock_{QDateTime(QDate(2024, 3, 15), QTime(9, 30, 0))};
    FakeWindowOperations ops_;
    FakeGoodsSource source_;
    std::vector<MessageBoxRequest> boxes_;
    MessageAnswer nextAnswer_ = MessageAnswer::Ok;
    ScopedMessageBoxAnswerer answerer_{[this](const MessageBoxRequest& request) {
        boxes_.push_back(request);
        return request.buttons == MessageButtons::Ok ? MessageAnswer::Ok : nextAnswer_;
    }};
    std::unique_ptr<TFrm> window_;
};

// --- Creation, login and start-up -------------------------------------------------------

TEST_F(MainWindowTest, AbandonedLoginEndsTheRunWithItsLogLine) {
    Create([](QWidget*) { App().quitRequested = true; });
    EXPECT_TRUE(App().quitRequested);
    EXPECT_TRUE(Logged("***********  Koniec pracy - rezygnacja z wejscia"));
    EXPECT_TRUE(ops_.calls.empty());
}

TEST_F(MainWindowTest, StartUpRunsItsStepsInOrder) {
    Start();
    const std::vector<std::string> expected = {"Registers", "InitExchange", "ReadListChoice",
                                               "RunSchemaPass"};
    EXPECT_EQ(expected, ops_.calls);
    EXPECT_EQ(std::vector<int>{0}, ops_.selectedIds);
    EXPECT_EQ(QDate(2024, 3, 15), App().saleDate);
    EXPECT_EQ(QDate(2024, 3, 15), window_->Sales()->DatePicker()->date());
    EXPECT_EQ(App().dataDir + "20240315/Kasa01/", App().kasaDir);
    EXPECT_EQ("Kartas2024", App().goodsTable);
    EXPECT_EQ(10, App().helpContext);
    EXPECT_EQ(TFrm::kWorkPage, window_->MainTabs()->currentIndex());
    EXPECT_EQ(TFrm::kSalesPage, window_->WorkTabs()->currentIndex());
    EXPECT_TRUE(boxes_.empty()) << boxes_.front().text;
}

TEST_F(MainWindowTest, RegisterListShowsEachRegisterCodeInTwoDigits) {
    ops_.registers = {{0, "1"}, {1, "7"}};
    Start();
    QAbstractItemModel* model = window_->RegisterList()->model();
    EXPECT_EQ("Kasa", model->headerData(0, Qt::Horizontal).toString().toStdString());
    ASSERT_EQ(2, model->rowCount());
    EXPECT_EQ("Kasa 01", model->index(0, 0).data().toString().toStdString());
    EXPECT_EQ("Kasa 07", model->index(1, 0).data().toString().toStdString());
}

TEST_F(MainWindowTest, NoRegisterLeavesTheTitleWithoutARegisterPart) {
    ops_.registers.clear();
    Start();
    EXPECT_EQ(std::vector<int>{-1}, ops_.selectedIds);
    EXPECT_EQ(std::string(kTitle) + " v.2.18.4", window_->windowTitle().toStdString());
}

TEST_F(MainWindowTest, ChoosingARegisterMakesItCurrentAndTheParametersPageFollows) {
    Start();
    window_->RegisterList()->setCurrentIndex(window_->RegisterList()->model()->index(1, 0));
    EXPECT_EQ((std::vector<int>{0, 1}), ops_.selectedIds);
    EXPECT_EQ(2, window_->RegisterParameters()->SelectedRegister());
    EXPECT_EQ("KASA 2", window_->RegisterParameters()->Section());
}

TEST_F(MainWindowTest, DefaultListChoiceLoadsTheGoodsOnTheFirstVisitOfTheExportPage) {
    Start();
    EXPECT_TRUE(source_.goodsRequests.empty());
    ShowWork(TFrm::kGoodsPage);
    EXPECT_EQ(1u, source_.goodsRequests.size());
    EXPECT_EQ(3, window_->Goods()->List()->Model().rowCount());
    EXPECT_EQ(2, window_->Goods()->List()->GroupCount());
    ShowWork(TFrm::kSalesPage);
    ShowWork(TFrm::kGoodsPage);
    EXPECT_EQ(1u, source_.goodsRequests.size());  // loaded once
}

TEST_F(MainWindowTest, AStoredListChoiceOtherThanTheDefaultLoadsAtStart) {
    ops_.storedListChoice = GoodsListView::kAll;
    Start();
    EXPECT_EQ(GoodsListView::kAll, window_->Goods()->List()->ListChoice());
    EXPECT_EQ(1u, source_.goodsRequests.size());
}

TEST_F(MainWindowTest, AFailingStartUpStepIsReportedAndTheOthersStillRun) {
    ops_.failWith = "Table unknown COM_DEF";  // the register list
    Start();
    ASSERT_EQ(1u, boxes_.size());
    // The server's text comes after a Polish sentence naming what failed.
    EXPECT_EQ("Polecenie „Uruchamianie programu” zakończyło się błędem:\n\nTable unknown COM_DEF",
              Cp1250ToUtf8(boxes_[0].text));
    EXPECT_EQ(ops_.calls.back(), "RunSchemaPass");
    EXPECT_TRUE(window_->ExitButton()->isEnabled());
}

// --- The message field and the operator seam ---------------------------------------------

TEST_F(MainWindowTest, MessagesAreGreenAndErrorsRedAndBothAreLogged) {
    Start();
    Komunikat(Cp1250("Wczytywanie danych"));
    EXPECT_EQ("Wczytywanie danych", window_->Messages()->text().toStdString());
    EXPECT_FALSE(window_->Messages()->IsError());
    Komunikat("[ZTowar] Error 13", true);
    EXPECT_TRUE(window_->Messages()->IsError());
    EXPECT_EQ(QColor(Qt::red), window_->Messages()->palette().color(QPalette::Text));
    Komunikat("");
    EXPECT_EQ("", StatusText());
    EXPECT_TRUE(Logged("[ZTowar] Error 13"));
}

TEST_F(MainWindowTest, SalesMemoGetsNewLinesOnTop) {
    Start();
    CurrentOperator().AddSalesMemoLine("pierwsza");
    CurrentOperator().AddSalesMemoLine("druga");
    EXPECT_EQ((std::vector<std::string>{"druga", "pierwsza"}), window_->Sales()->MemoLines());
    CurrentOperator().ClearSalesMemo();
    EXPECT_TRUE(window_->Sales()->MemoLines().empty());
}

// --- Command framing ------------------------------------------------------------------------

TEST_F(MainWindowTest, ReadDisablesItsButtonClearsMemoAndMessageAndEnablesAgain) {
    Start();
    CurrentOperator().AddSalesMemoLine("stara linia");
    Komunikat("stary komunikat");
    bool disabledMeanwhile = false;
    std::string statusMeanwhile = "?";
    ops_.during = [&] {
        disabledMeanwhile = !window_->Sales()->ReadButton()->isEnabled();
        statusMeanwhile = StatusText();
        EXPECT_TRUE(window_->Sales()->MemoLines().empty());
    };
    window_->Sales()->ReadButton()->click();
    EXPECT_EQ(std::vector<std::string>{"ReadSales"},
              std::vector<std::string>(ops_.calls.end() - 1, ops_.calls.end()));
    EXPECT_TRUE(disabledMeanwhile);
    EXPECT_EQ("", statusMeanwhile);
    EXPECT_TRUE(window_->Sales()->ReadButton()->isEnabled());
}

TEST_F(MainWindowTest, AFailedCommandEnablesItsButtonsAgainAndShowsTheError) {
    Start();
    ops_.failWith = "awaria kasy";
    window_->Sales()->ResetButton()->click();
    EXPECT_TRUE(window_->Sales()->ReadButton()->isEnabled());
    EXPECT_TRUE(window_->Sales()->ResetButton()->isEnabled());
    ASSERT_EQ(1u, boxes_.size());
    EXPECT_EQ("Polecenie „Zerowanie liczników sprzedaży” zakończyło się błędem:\n\nawaria kasy",
              Cp1250ToUtf8(boxes_[0].text));
    EXPECT_FALSE(IsCommandRunning());
}

TEST_F(MainWindowTest, ResetDisablesReadAndResetWhileItRuns) {
    Start();
    std::vector<bool> enabled;
    ops_.during = [&] {
        enabled = {window_->Sales()->ReadButton()->isEnabled(),
                   window_->Sales()->ResetButton()->isEnabled(),
                   window_->Sales()->SendButton()->isEnabled()};
    };
    window_->Sales()->ResetButton()->click();
    EXPECT_EQ((std::vector<bool>{false, false, true}), enabled);
}

TEST_F(MainWindowTest, ExportDisablesTheExportAndDeletionButtonsAndPassesTheChoices) {
    Start();
    ShowWork(TFrm::kGoodsPage);
    GoodsListView* list = window_->Goods()->List();
    list->Model().SetMarked(0, true);
    list->Model().SetMarked(2, true);
    window_->Goods()->StopOnFirstError()->setChecked(true);
    window_->Goods()->SetFullData(false);
    ops_.keepAfterExport = {"C3"};  // the export stopped at C3
    std::vector<bool> enabled;
    ops_.during = [&] {
        enabled = {window_->Goods()->ExportButton()->isEnabled(),
                   window_->Deletion()->AllButton()->isEnabled(),
                   window_->Deletion()->SelectedButton()->isEnabled(),
                   window_->Deletion()->DeletionGroup()->isEnabled()};
    };
    window_->Goods()->ExportButton()->click();
    EXPECT_EQ((std::vector<bool>{false, false, false, false}), enabled);
    EXPECT_EQ((std::vector<std::string>{"A1", "C3"}), ops_.exported);
    EXPECT_TRUE(ops_.exportChoice.stopOnFirstError);
    EXPECT_FALSE(ops_.exportChoice.fullData);
    EXPECT_EQ(std::vector<std::string>{"C3"}, list->MarkedSymbols());
    EXPECT_TRUE(window_->Goods()->ExportButton()->isEnabled());
    EXPECT_TRUE(window_->Deletion()->DeletionGroup()->isEnabled());
}

TEST_F(MainWindowTest, ExportUnticksTheGroupsAfterwards) {
    Start();
    ShowWork(TFrm::kGoodsPage);
    window_->Goods()->List()->GroupList()->item(0)->setCheckState(Qt::Checked);
    window_->Goods()->ExportButton()->click();
    EXPECT_EQ((std::vector<std::string>{"A1", "C3"}), ops_.exported);
    EXPECT_TRUE(window_->Goods()->List()->TickedGroups().empty());
}

TEST_F(MainWindowTest, DeletingSelectedCodesKeepsTheFailedOnesMarked) {
    Start();
    ShowWork(TFrm::kDeletionPage);
    RegisterGoodsModel& model = window_->Deletion()->Model();
    ASSERT_EQ(3, model.rowCount());
    model.MarkAll();
    ops_.deleteStopsAt = 1;
    std::vector<bool> enabled;
    ops_.during = [&] {
        enabled = {window_->Deletion()->AllButton()->isEnabled(),
                   window_->Deletion()->SelectedButton()->isEnabled()};
    };
    window_->Deletion()->SelectedButton()->click();
    EXPECT_EQ((std::vector<bool>{false, false}), enabled);
    EXPECT_EQ(std::vector<std::int64_t>{1}, ops_.deleted);
    EXPECT_EQ(2, model.rowCount());
    EXPECT_EQ((std::vector<std::int64_t>{2, 3}), model.MarkedCodes());
}

TEST_F(MainWindowTest, DeletingAllDisablesExportToo) {
    Start();
    ShowWork(TFrm::kDeletionPage);
    std::vector<bool> enabled;
    ops_.during = [&] {
        enabled = {window_->Deletion()->AllButton()->isEnabled(),
                   window_->Deletion()->SelectedButton()->isEnabled(),
                   window_->Goods()->ExportButton()->isEnabled()};
    };
    window_->Deletion()->AllButton()->click();
    EXPECT_EQ((std::vector<bool>{false, false, false}), enabled);
    EXPECT_EQ(0, window_->Deletion()->Model().rowCount());
    EXPECT_TRUE(window_->Goods()->ExportButton()->isEnabled());
}

// While the end of day holds a register, the window's commands on it do
// nothing but say who holds it; once it lets go they run again.
TEST_F(MainWindowTest, RegisterCommandsAreRefusedWhileTheEndOfDayWorksOnTheRegister) {
    Start();
    FileLock dayEnd;
    ASSERT_EQ(FileLock::Outcome::kTaken, LockRegister(dayEnd, App().dataDir, App().registerNo,
                                                      Cp1250("zamknięcie dnia (proces 42)")));
    ops_.calls.clear();
    window_->Sales()->ReadButton()->click();
    window_->Sales()->ResetButton()->click();
    window_->Goods()->ExportButton()->click();
    window_->Deletion()->AllButton()->click();
    window_->RegisterGoodsList()->LoadButton()->click();
    EXPECT_TRUE(ops_.calls.empty()) << ::testing::PrintToString(ops_.calls);
    EXPECT_EQ(
        "Kasa nr 1 jest teraz zajęta: zamknięcie dnia (proces 42). Polecenie nie zostało "
        "wykonane; spróbuj ponownie, gdy tamta praca się skończy.",
        Cp1250ToUtf8(StatusText()));
    EXPECT_TRUE(window_->Messages()->IsError());

    dayEnd.Release();
    window_->Sales()->ReadButton()->click();
    EXPECT_EQ(std::vector<std::string>{"ReadSales"}, ops_.calls);
}

TEST_F(MainWindowTest, ReadingTheRegisterGoodsHidesRefreshMeanwhileAndShowsTheLines) {
    Start();
    ShowWork(TFrm::kRegisterGoodsPage);
    bool refreshHidden = false;
    bool loadDisabled = false;
    ops_.during = [&] {
        refreshHidden = window_->Deletion()->RefreshButton()->isHidden();
        loadDisabled = !window_->RegisterGoodsList()->LoadButton()->isEnabled();
    };
    window_->RegisterGoodsList()->LoadButton()->click();
    EXPECT_TRUE(refreshHidden);
    EXPECT_TRUE(loadDisabled);
    EXPECT_FALSE(window_->Deletion()->RefreshButton()->isHidden());
    EXPECT_TRUE(window_->Deletion()->RefreshButton()->isEnabled());
    EXPECT_EQ(4u, window_->RegisterGoodsList()->Lines().size());
}

TEST_F(MainWindowTest, AFailedRegisterGoodsReadLeavesTheTextAsItWas) {
    Start();
    window_->RegisterGoodsList()->LoadButton()->click();
    ops_.registerGoods = std::nullopt;
    window_->RegisterGoodsList()->LoadButton()->click();
    EXPECT_EQ(4u, window_->RegisterGoodsList()->Lines().size());
}

// --- Repaint, not re-enter ------------------------------------------------------------------

TEST_F(MainWindowTest, NoSecondCommandStartsWhileOneRuns) {
    Start();
    ops_.during = [&] {
        QTest::mouseClick(window_->Sales()->ResetButton(), Qt::LeftButton);
        window_->Sales()->ResetButton()->click();
        QTest::keyClick(window_.get(), Qt::Key_F10, Qt::ControlModifier);
        QCoreApplication::processEvents();
    };
    window_->Sales()->ReadButton()->click();
    EXPECT_EQ(0, std::count(ops_.calls.begin(), ops_.calls.end(), "ResetCounters"));
    EXPECT_TRUE(boxes_.empty());  // Ctrl+F10 asked nothing
}

TEST_F(MainWindowTest, ClosingDuringACommandWaitsUntilItEnds) {
    Start();
    bool closedMeanwhile = true;
    ops_.during = [&] {
        window_->close();
        QCoreApplication::processEvents();
        closedMeanwhile = !window_->isVisible();
        EXPECT_FALSE(ops_.listChoiceStoredAtClose.has_value());
    };
    window_->Sales()->ReadButton()->click();
    EXPECT_FALSE(closedMeanwhile);
    EXPECT_FALSE(window_->isVisible());
    EXPECT_EQ(GoodsListView::kDefaultListChoice, ops_.listChoiceStoredAtClose);
    EXPECT_TRUE(Logged("***********  Koniec pracy - Close"));
}

// --- Keys, batches and ticks ------------------------------------------------------------------

TEST_F(MainWindowTest, TabNeverChangesTheRegisterOnlyTheArrowsDo) {
    Start();
    QTableView* list = window_->RegisterList();
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
        {Qt::Key_Tab, Qt::NoModifier},
        {Qt::Key_Backtab, Qt::ShiftModifier},
        {Qt::Key_Tab, Qt::ControlModifier},
        {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier}};
    for (const auto& [key, modifiers] : keys) {
        list->setFocus();
        QTest::keyClick(list, key, modifiers);
    }
    list->setFocus();
    for (int i = 0; i < 60; ++i) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(std::vector<int>{0}, ops_.selectedIds);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ((std::vector<int>{0, 1}), ops_.selectedIds);
    EXPECT_EQ(1, list->currentIndex().row());
}

// A batch stopped by its button, Esc, "Wyjście", closing the window or
// SIGTERM ends after the item it is on; the last three then close in order.
TEST_F(MainWindowTest, AStopRequestEndsTheBatchAfterTheCurrentItem) {
    enum Way { kButton, kEscape, kExit, kClose, kSigterm };
    for (const Way way : {kButton, kEscape, kExit, kClose, kSigterm}) {
        SCOPED_TRACE(way);
        Start();
        const TerminationSignal termination(
            [this](const std::string& name) { window_->Terminate(name); });
        int items = 0;
        ops_.during = [&] {
            BatchScope batch("Eksport", 5);
            for (int item = 1; item <= 5; ++item) {
                ++items;
                if (item == 2 && way == kButton)
                    QTest::mouseClick(window_->StopButton(), Qt::LeftButton);
                if (item == 2 && way == kEscape) QTest::keyClick(window_.get(), Qt::Key_Escape);
                if (item == 2 && way == kExit)
                    QTest::mouseClick(window_->ExitButton(), Qt::LeftButton);
                if (item == 2 && way == kClose) window_->close();
                if (item == 2 && way == kSigterm) ::raise(SIGTERM);
                if (!batch.ItemDone(true)) break;
            }
            ShowBatchSummary("[ZTowar] ", Cp1250("Wysłano"), batch.Outcome());
        };
        ops_.listChoiceStoredAtClose.reset();
        window_->Goods()->ExportButton()->click();
        EXPECT_EQ(2, items);
        const bool closes = way == kExit || way == kClose || way == kSigterm;
        EXPECT_EQ(!closes, window_->isVisible());
        EXPECT_EQ(closes, ops_.listChoiceStoredAtClose.has_value());
        if (!closes) {
            EXPECT_EQ("[ZTowar] Przerwano: wysłano 2 z 5 towarów", Cp1250ToUtf8(StatusText()));
            EXPECT_TRUE(window_->Messages()->IsError());
            EXPECT_TRUE(window_->StopButton()->isHidden());
        }
    }
    EXPECT_TRUE(Logged("***********  Koniec pracy - SIGTERM"));
}

TEST_F(MainWindowTest, OneClickAnywhereInTheTickCellTogglesTheTickOnce) {
    Start();
    ShowWork(TFrm::kGoodsPage);
    QTableView* grid = window_->Goods()->List()->Grid();
    GoodsListModel& model = window_->Goods()->List()->Model();
    const QRect cell = grid->visualRect(model.index(0, GoodsListModel::kTickColumn));
    for (int x = cell.left() + 1; x < cell.right(); x += 2) {
        const bool before = model.IsMarked(0);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(x, cell.center().y()));
        EXPECT_NE(before, model.IsMarked(0)) << "x " << x - cell.left();
    }
}

TEST(QtTexts, QtsOwnButtonsArePolish) {
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ("&Tak", box.button(QMessageBox::Yes)->text().toStdString());
    EXPECT_EQ("&Nie", box.button(QMessageBox::No)->text().toStdString());
}

// --- Sales reads and the transfer --------------------------------------------------------------

TEST_F(MainWindowTest, NoSalesReadPutsALineOnTopOfTheMemoAndKeepsTheListHidden) {
    Start();
    window_->Sales()->SendButton()->click();
    const std::vector<std::string> memo = window_->Sales()->MemoLines();
    ASSERT_FALSE(memo.empty());
    EXPECT_EQ("Brak odczytów z kasy 1 z dnia 15.03.2024", Cp1250ToUtf8(memo[0]));
    EXPECT_TRUE(window_->Sales()->ReadsList()->isHidden());
    EXPECT_TRUE(window_->Sales()->SendButton()->isEnabled());
}

TEST_F(MainWindowTest, SalesReadsAreListedAndShownAndSentFromTheListMenu) {
    Start();
    EnsureDir(App().kasaDir);
    WriteFileText("1;00001;A1;2;5.00;23;01\r\n", App().kasaDir + "20240315_1.txt");
    WriteFileText("x\r\n", App().kasaDir + "20240315_2.txt");
    window_->Sales()->SendButton()->click();
    QListWidget* reads = window_->Sales()->ReadsList();
    EXPECT_FALSE(reads->isHidden());
    ASSERT_EQ(2, reads->count());
    EXPECT_EQ("20240315_1.txt", reads->item(0)->text().toStdString());
    EXPECT_EQ(0, reads->currentRow());

    emit reads->itemClicked(reads->item(0));
    EXPECT_EQ(std::vector<std::string>{"1;00001;A1;2;5.00;23;01"}, window_->Sales()->MemoLines());

    Komunikat("stary komunikat");
    std::string statusMeanwhile = "?";
    ops_.during = [&] { statusMeanwhile = StatusText(); };
    window_->SendReadAction()->trigger();
    EXPECT_EQ(std::vector<std::string>{App().kasaDir + "20240315_1.txt"}, ops_.transferred);
    EXPECT_EQ("", statusMeanwhile);

    window_->CloseReadsAction()->trigger();
    EXPECT_TRUE(reads->isHidden());
    EXPECT_TRUE(window_->Sales()->MemoLines().empty());
}

TEST_F(MainWindowTest, TheDirectoriesFollowTheDateWhenThePickerIsLeft) {
    Start();
    window_->Sales()->DatePicker()->setFocus();
    window_->Sales()->DatePicker()->setDate(QDate(2024, 3, 10));
    EXPECT_EQ(QDate(2024, 3, 15), App().saleDate);  // not left yet
    window_->Goods()->setFocus();
    window_->Sales()->ReadButton()->setFocus();
    EXPECT_EQ(QDate(2024, 3, 10), App().saleDate);
    EXPECT_EQ(App().dataDir + "20240310/Kasa01/", App().kasaDir);
}

TEST_F(MainWindowTest, AButtonPressedRightAfterEditingTheDateSeesTheNewDate) {
    Start();
    window_->Sales()->DatePicker()->setDate(QDate(2024, 3, 9));
    QDate seen;
    ops_.during = [&] { seen = App().saleDate; };
    window_->Sales()->ReadButton()->click();
    EXPECT_EQ(QDate(2024, 3, 9), seen);
}

// --- Goods menu and keys
// --------------------------------------------------------------------------

TEST_F(MainWindowTest, MarkCommandsActOnTheGridOfThePageInFront) {
    Start();
    ShowWork(TFrm::kGoodsPage);
    window_->MarkAllAction()->trigger();
    EXPECT_EQ(3, window_->Goods()->List()->Model().MarkedCount());
    ShowWork(TFrm::kDeletionPage);
    window_->MarkAllAction()->trigger();
    EXPECT_EQ(3u, window_->Deletion()->Model().MarkedCodes().size());
    window_->InvertMarksAction()->trigger();
    EXPECT_TRUE(window_->Deletion()->Model().MarkedCodes().empty());
    EXPECT_EQ(3, window_->Goods()->List()->Model().MarkedCount());
    ShowWork(TFrm::kGoodsPage);
    window_->ClearMarksAction()->trigger();
    EXPECT_EQ(0, window_->Goods()->List()->Model().MarkedCount());
}

TEST_F(MainWindowTest, ClearingTheRegisterCodeFieldUpdatesTheTableThenReloadsTheList) {
    Start();
    ShowWork(TFrm::kGoodsPage);
    window_->ClearCodesAction()->trigger();
    EXPECT_EQ(std::vector<CodeResetValue>{CodeResetValue::Zero}, ops_.resets);
    EXPECT_EQ(2u, source_.goodsRequests.size());
}

TEST_F(MainWindowTest, AssigningCodesPassesTheTickedGroups) {
    Start();
    ShowWork(TFrm::kGoodsPage);
    window_->Goods()->List()->GroupList()->item(1)->setCheckState(Qt::Checked);
    window_->AssignCodesAction()->trigger();
    EXPECT_EQ(std::vector<std::string>{"02 Druga"}, ops_.tickedGroups);
}

TEST_F(MainWindowTest, CtrlF10AsksAndZeroesTheCodesOnlyOnYes) {
    Start();
    ShowWork(TFrm::kGoodsPage);
    nextAnswer_ = MessageAnswer::No;
    QTest::keyClick(window_.get(), Qt::Key_F10, Qt::ControlModifier);
    ASSERT_EQ(1u, boxes_.size());
    EXPECT_EQ("Czy naprawdę chcesz wyzerować kody PLU w kartotece?", Cp1250ToUtf8(boxes_[0].text));
    EXPECT_EQ("Zerowanie kodów PLU", Cp1250ToUtf8(boxes_[0].title));
    EXPECT_EQ(MessageAnswer::No, boxes_[0].preselected);
    EXPECT_EQ(MessageIcon::Warning, boxes_[0].icon);
    EXPECT_TRUE(ops_.resets.empty());

    window_->Goods()->List()->SetCurrentRow(1);
    nextAnswer_ = MessageAnswer::Yes;
    QTest::keyClick(window_.get(), Qt::Key_F10, Qt::ControlModifier);
    EXPECT_EQ(std::vector<CodeResetValue>{CodeResetValue::Null}, ops_.resets);
    EXPECT_EQ(2u, source_.goodsRequests.size());
    EXPECT_EQ("B2",
              window_->Goods()->List()->Model().Good(window_->Goods()->List()->CurrentRow()).asort);
}

TEST_F(MainWindowTest, F2PutsTheFocusInTheGoodsSearchField) {
    Start();
    QTest::keyClick(window_.get(), Qt::Key_F2);
    EXPECT_EQ(TFrm::kGoodsPage, window_->WorkTabs()->currentIndex());
    EXPECT_TRUE(window_->Goods()->List()->SearchField()->hasFocus());
    EXPECT_EQ(15, App().helpContext);
}

// --- Tabs and help
// ----------------------------------------------------------------------------------

TEST_F(MainWindowTest, EachPageSetsItsHelpTopic) {
    Start();
    const std::pair<int, int> work[] = {{TFrm::kGoodsPage, 15},
                                        {TFrm::kDeletionPage, 12},
                                        {TFrm::kRegisterGoodsPage, 0},
                                        {TFrm::kSalesPage, 10}};
    for (const auto& [page, topic] : work) {
        window_->WorkTabs()->setCurrentIndex(page);
        EXPECT_EQ(topic, App().helpContext) << "work page " << page;
    }
    window_->MainTabs()->setCurrentIndex(TFrm::kParamPage);
    EXPECT_EQ(11, App().helpContext);
    window_->ParamTabs()->setCurrentIndex(TFrm::kRegisterParamPage);
    EXPECT_EQ(13, App().helpContext);
    window_->MainTabs()->setCurrentIndex(TFrm::kErrorReportPage);
    EXPECT_EQ(16, App().helpContext);
    window_->MainTabs()->setCurrentIndex(TFrm::kAboutPage);
    EXPECT_EQ(0, App().helpContext);
    window_->MainTabs()->setCurrentIndex(TFrm::kWorkPage);
    EXPECT_EQ(0, App().helpContext);  // until a sub-tab is chosen
}

TEST_F(MainWindowTest, ContextHelpWithoutTopicDoesNothingAndAMissingFileIsReported) {
    Start();
    window_->MainTabs()->setCurrentIndex(TFrm::kAboutPage);
    window_->HelpButton()->click();
    EXPECT_TRUE(boxes_.empty());
    window_->MainTabs()->setCurrentIndex(TFrm::kErrorReportPage);
    window_->HelpButton()->click();
    ASSERT_EQ(1u, boxes_.size());
    EXPECT_EQ("Brak pliku z pomocą", Cp1250ToUtf8(boxes_[0].text));
    window_->ContentsButton()->click();
    EXPECT_EQ(2u, boxes_.size());
}

TEST_F(MainWindowTest, F1ShowsThePagesTopicAndEscClosesIt) {
    EnsureDir(HelpDirectory(dir_.Path()));
    WriteFileText("<html><body><h2>Kasowanie</h2></body></html>", HelpTopicFile(dir_.Path(), 12));
    Start();
    ShowWork(TFrm::kDeletionPage);
    QTest::keyClick(window_.get(), Qt::Key_F1);
    EXPECT_TRUE(boxes_.empty());
    ASSERT_NE(nullptr, HelpBrowser());
    EXPECT_TRUE(HelpBrowser()->toPlainText().contains(QStringLiteral("Kasowanie")));
    HelpBrowser()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(HelpBrowser()));
    QTest::keyClick(HelpBrowser(), Qt::Key_Escape);
    EXPECT_TRUE(HelpBrowser() == nullptr || !HelpBrowser()->isVisible());
}

TEST_F(MainWindowTest, ReportTabShowsTheErrorReportOrItsAbsence) {
    Start();
    window_->MainTabs()->setCurrentIndex(TFrm::kErrorReportPage);
    EXPECT_EQ("Brak raportu", window_->ErrorReport()->Text());
    WriteFileText("15.03.2024 09:30:00: [ZTowar] Error 13\r\n", App().errorReportPath);
    window_->MainTabs()->setCurrentIndex(TFrm::kAboutPage);
    window_->MainTabs()->setCurrentIndex(TFrm::kErrorReportPage);
    EXPECT_EQ("15.03.2024 09:30:00: [ZTowar] Error 13\n", window_->ErrorReport()->Text());
}

TEST_F(MainWindowTest, ReportMenuRunsTheTestShowsTheLogAndClearsTheReport) {
    Start();
    window_->MainTabs()->setCurrentIndex(TFrm::kErrorReportPage);
    ops_.during = [&] { WriteFileText("Raport\r\n", App().errorReportPath); };
    window_->ErrorReport()->GoodsFileTestAction()->trigger();
    EXPECT_EQ("Raport\n", window_->ErrorReport()->Text());

    WriteWorkLog("wpis dziennika");
    window_->ErrorReport()->WorkLogAction()->trigger();
    EXPECT_NE(std::string::npos, window_->ErrorReport()->Text().find("[2.18.4]"));

    std::string edited;
    window_->openInEditor = [&](const std::string& path) { edited = path; };
    window_->ErrorReport()->PrintAction()->trigger();
    EXPECT_EQ(App().errorReportPath, edited);

    window_->ErrorReport()->ClearReportAction()->trigger();
    EXPECT_EQ("", window_->ErrorReport()->Text());
    EXPECT_FALSE(FileExists(App().errorReportPath));
}

TEST_F(MainWindowTest, WorkLogMissingShowsItsLine) {
    Start();
    DeleteFileIfExists(WorkLogPath());
    window_->ErrorReport()->WorkLogAction()->trigger();
    EXPECT_EQ("Brak historii", window_->ErrorReport()->Text());
}

TEST_F(MainWindowTest, AboutTabHoldsTheAboutBoxUntilItIsClosed) {
    Start();
    QWidget* about = window_->findChild<QWidget*>("fmInfProg");
    ASSERT_NE(nullptr, about);
    QPointer<QWidget> watch(about);
    window_->MainTabs()->setCurrentIndex(TFrm::kAboutPage);
    QTest::keyClick(about, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watch.isNull());
}

// --- Parameter pages
// --------------------------------------------------------------------------------

TEST_F(MainWindowTest, RegisterPageOffersThePriceColumnsOfTheCatalogue) {
    Start();
    QComboBox* prices = window_->RegisterParameters()->PriceColumnChoice();
    ASSERT_EQ(2, prices->count());
    EXPECT_EQ("CENA_2", prices->itemText(1).toStdString());
    EXPECT_EQ("CENA_1", prices->currentText().toStdString());
}

TEST_F(MainWindowTest, LeavingAFieldOfTheRegisterPageWritesItsSection) {
    Start();
    QLineEdit* warehouse = window_->RegisterParameters()->WarehouseEdit();
    warehouse->setText("m01");
    emit warehouse->editingFinished();
    EXPECT_EQ("M01", App().iniFile->ReadString("KASA 1", "NrMag", ""));
}

TEST_F(MainWindowTest, TransferPageShowsTheStoredLetterStandardWithoutSavingIt) {
    App().iniFile->WriteString("Main", "StandLiter", "Mazovia");
    Start();
    window_->TransferParameters()->Refresh();
    QComboBox* letters = window_->TransferParameters()->LetterStandardChoice();
    EXPECT_EQ("Mazovia", letters->currentText().toStdString());
    EXPECT_EQ(0, letters->currentIndex());
    EXPECT_EQ("Mazovia", App().iniFile->ReadString("Main", "StandLiter", ""));
}

// --- Layout ------------------------------------------------------------------------------

// What a page shows that the operator cannot read: a control smaller than
// its text needs (a button, label, tab or box below its size hint), any
// widget squeezed below its minimum, or a grid column narrower than its
// contents. The insides of scrolling views, spin boxes and combo boxes are
// their owners' business.
std::vector<std::string> LayoutProblems(QWidget* window) {
    std::vector<std::string> problems;
    const auto problem = [&](const QWidget* w, const std::string& what, int has, int needs) {
        problems.push_back(std::string(w->metaObject()->className()) + " \"" +
                           w->property("text").toString().toStdString() + "\" " + what + " " +
                           std::to_string(has) + " < " + std::to_string(needs));
    };
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisible()) continue;
        QWidget* parent = w->parentWidget();
        if (qobject_cast<QAbstractScrollArea*>(parent) != nullptr ||
            qobject_cast<QAbstractSpinBox*>(parent) != nullptr ||
            qobject_cast<QComboBox*>(parent) != nullptr ||
            qobject_cast<QTabBar*>(parent) != nullptr || qobject_cast<QScrollBar*>(w) != nullptr ||
            qobject_cast<QHeaderView*>(w) != nullptr ||
            (parent != nullptr && qobject_cast<QAbstractScrollArea*>(parent->parentWidget()))) {
            continue;
        }
        const auto* label = qobject_cast<const QLabel*>(w);
        const bool textControl = qobject_cast<QAbstractButton*>(w) != nullptr ||
                                 (label != nullptr && !label->wordWrap()) ||
                                 qobject_cast<QTabBar*>(w) != nullptr;
        // A minimum set on the widget itself stands for its hint.
        QSize need = textControl ? w->sizeHint() : w->minimumSizeHint();
        if (w->minimumWidth() > 0) need.setWidth(w->minimumWidth());
        if (w->minimumHeight() > 0) need.setHeight(w->minimumHeight());
        if (w->width() < need.width()) problem(w, "width", w->width(), need.width());
        if (w->height() < need.height()) problem(w, "height", w->height(), need.height());
        if (auto* grid = qobject_cast<QTableView*>(w)) {
            QHeaderView* header = grid->horizontalHeader();
            for (int column = 0; column < header->count(); ++column) {
                if (header->isSectionHidden(column) ||
                    header->sectionResizeMode(column) == QHeaderView::Stretch) {
                    continue;
                }
                const int wanted =
                    std::max(static_cast<QAbstractItemView*>(grid)->sizeHintForColumn(column),
                             header->sectionSizeHint(column));
                if (header->sectionSize(column) < wanted) {
                    problem(w, "column " + std::to_string(column), header->sectionSize(column),
                            wanted);
                }
            }
        }
    }
    return problems;
}

class ScreenLayoutTest : public MainWindowTest, public ::testing::WithParamInterface<QSize> {};

// Every page on the smallest screens a shop has, less the title bar and the
// panel: the window fits, and every control and column shows all of its text.
// With RUBSO_SCREENSHOT_DIR set (scripts/screenshots.sh runs this under
// Xvfb) each page is saved there as a PNG file for people to look at.
TEST_P(ScreenLayoutTest, EveryPageFitsTheScreenWithNothingCut) {
    const QSize screen = GetParam();
    const QSize client = screen - QSize(0, 70);
    ops_.codes = {{1, "Mleko", 2.5, "5900001000011", ""}, {12345, "Chleb", 13.99, "", ""}};
    source_.dates = {QDate(2024, 3, 14), QDate(2024, 3, 1)};
    Start();
    EnsureDir(App().kasaDir);
    WriteFileText("x\r\n", App().kasaDir + "20240315_1.txt");
    window_->showNormal();
    window_->resize(client);
    window_->RegisterGoodsList()->ShowLines({"#1", "#2", "#KOD\tNAZWA\tVAT\tJM\tCENA\tEAN",
                                             "$00001\tMleko\t2\t1\t250\t5900001000011",
                                             "$12345\tChleb\t1\t1\t1399\t0000000000000"});
    const QString directory = qEnvironmentVariable("RUBSO_SCREENSHOT_DIR");
    const auto check = [&](const QString& page) {
        QApplication::processEvents();
        SCOPED_TRACE(page.toStdString());
        EXPECT_EQ(std::make_pair(client.width(), client.height()),
                  std::make_pair(window_->width(), window_->height()));
        const std::vector<std::string> problems = LayoutProblems(window_.get());
        EXPECT_TRUE(problems.empty()) << ::testing::PrintToString(problems);
        if (!directory.isEmpty()) {
            const QString file = QStringLiteral("%1/%2x%3-%4.png")
                                     .arg(directory)
                                     .arg(screen.width())
                                     .arg(screen.height())
                                     .arg(page);
            EXPECT_TRUE(window_->grab().save(file)) << file.toStdString();
        }
    };
    ShowWork(TFrm::kSalesPage);
    window_->Sales()->SendButton()->click();  // the list of sales reads shows
    check(QStringLiteral("praca-1"));
    ShowWork(TFrm::kGoodsPage);
    // The longest progress line a batch shows, beside the message field.
    window_->StartBatch(Cp1250("Eksport towarów do kasy"), 100000);
    window_->ShowBatchProgress(99999, 100000, 12345);
    check(QStringLiteral("praca-2"));
    window_->EndBatch();
    window_->Goods()->List()->SetListChoice(GoodsListView::kByPriceDate);
    check(QStringLiteral("praca-2-daty"));
    for (int page : {TFrm::kDeletionPage, TFrm::kRegisterGoodsPage}) {
        ShowWork(page);
        check(QStringLiteral("praca-%1").arg(page + 1));
    }
    window_->MainTabs()->setCurrentIndex(TFrm::kParamPage);
    for (int page = 0; page < window_->ParamTabs()->count(); ++page) {
        window_->ParamTabs()->setCurrentIndex(page);
        check(QStringLiteral("parametry-%1").arg(page + 1));
    }
    window_->MainTabs()->setCurrentIndex(TFrm::kErrorReportPage);
    check(QStringLiteral("raport"));
    window_->MainTabs()->setCurrentIndex(TFrm::kAboutPage);
    check(QStringLiteral("o-programie"));
}

INSTANTIATE_TEST_SUITE_P(ShopScreens, ScreenLayoutTest,
                         ::testing::Values(QSize(1024, 768), QSize(1366, 768)),
                         [](const ::testing::TestParamInfo<QSize>& screen) {
                             return std::to_string(screen.param.width()) + "x" +
                                    std::to_string(screen.param.height());
                         });

// --- Closing
// --------------------------------------------------------------------------------------------

TEST_F(MainWindowTest, ExitLogsExitThenCloseAndStoresTheListChoice) {
    Start();
    window_->Goods()->List()->SetListChoice(GoodsListView::kNotSent);
    window_->ExitButton()->click();
    EXPECT_FALSE(window_->isVisible());
    EXPECT_EQ(GoodsListView::kNotSent, ops_.listChoiceStoredAtClose);
    const std::vector<std::string> log = LogTexts();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ("***********  Koniec pracy - Exit", log[log.size() - 2]);
    EXPECT_EQ("***********  Koniec pracy - Close", log.back());
}

TEST_F(MainWindowTest, AFailedStoreAtCloseIsReportedAndTheClosingLineIsStillWritten) {
    Start();
    ops_.failWith = "connection lost";
    window_->close();
    EXPECT_FALSE(window_->isVisible());
    ASSERT_EQ(1u, boxes_.size());
    EXPECT_EQ("Polecenie „Zamykanie programu” zakończyło się błędem:\n\nconnection lost",
              Cp1250ToUtf8(boxes_[0].text));
    EXPECT_TRUE(Logged("***********  Koniec pracy - Close"));
}

}  // namespace
}  // namespace rubso
