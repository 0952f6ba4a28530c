#pragma once
// TFrm, the program's main window. Creating it runs the login; its first
// showing does the start-up work; from then on each button, menu entry and
// key runs one command: the window reads its controls, calls one operation
// (WindowOperations) and shows what comes back.
//
// The window is the operator seam of the program (core/operator.h): the
// message field, message boxes, the busy cursor, repainting between records
// and the sales memo.
//
// Every command runs through RunUiCommand: while one runs the window repaints
// but takes no input, no second command starts, and a close asked for
// meanwhile waits until the command has ended. Buttons a command disables
// are enabled again on every exit path.
//
// Error convention of the window layer (app/ui/): what an operation reports
// itself arrives through the operator seam; what it raises ends the command
// in RunUiCommand (work log, message box, the command's name), and the
// windows do not catch it. Two places differ: each start-up step goes to
// the handler on its own, so one failing step does not stop the others, and
// the goods list says a missing goods table in Polish instead of the
// server's text. The windows check the operator's input before an operation
// runs, with a message box in Polish.
//
// The "Raport o błędach" page shows one error report at a time: the
// register exchange's whenever the page is brought to the front, the
// goods-file test's right after that test has run. Clearing and printing
// act on the report the page shows.
//
// A batch (a command working through a list) shows its progress in the
// bottom row with a stop button; the stop button, Esc, closing the window
// and a termination signal all ask it to stop after the current item.

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/operator.h"
#include "db/goods_list.h"

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QStandardItemModel;
class QTabWidget;
class QTableView;

namespace rubso {

class CommandInputBlocker;
class DeletionPage;
class ErrorReportPage;
class GoodsListSource;
class GoodsPage;
class MessageField;
class RegisterGoodsListPage;
class SalesPage;
class TfmInfProg;
class TfmParamE;
class TfmPOE;
class WindowOperations;

class TFrm : public QWidget, public Operator {
  public:
    // Runs the login; by default the modal login dialog (RunLoginDialog).
    using LoginRunner = std::function<void(QWidget* parent)>;

    // Runs the login at once. Afterwards App().quitRequested tells whether
    // the program must end (the window then disconnected and logged).
    // `operations` and `goodsSource` must outlive the window; `programFile`
    // is the running program's path, shown in the about box.
    TFrm(WindowOperations& operations, GoodsListSource& goodsSource, LoginRunner login,
         std::string programFile);
    ~TFrm() override;

    // The start-up work of the first showing, in its order. Runs once; the
    // first showEvent queues it. Public so that a test can run it directly.
    void FormShow();
    bool StartedUp() const { return startedUp_; }

    // --- Operator --------------------------------------------------------------
    void ShowStatus(const std::string& text, bool error) override;
    MessageAnswer Ask(const MessageBoxRequest& request) override;
    void SetBusyCursor(bool busy) override;
    void ProcessPendingMessages() override;
    void AddSalesMemoLine(const std::string& line) override;
    void ClearSalesMemo() override;
    void StartBatch(const std::string& caption, std::size_t total) override;
    void ShowBatchProgress(std::size_t done, std::size_t total, std::size_t failed) override;
    bool StopRequested() const override { return stopRequested_; }
    void EndBatch() override;

    // Asks a running batch to stop after its current item (the stop button
    // and Esc); nothing when no batch runs.
    void RequestStop();
    // A termination signal (SIGTERM, SIGINT, SIGHUP): a running batch stops
    // after its current item, an open question is closed with its
    // preselected answer, then the window closes the ordinary way (the list
    // choice stored, the database disconnected, the closing log line).
    void Terminate(const std::string& signalName);

    // The operating system's "edit" action on a file ("Wydruk raportu");
    // replaceable for tests.
    std::function<void(const std::string& path)> openInEditor;

    // --- Parts, for the tests that drive the window ------------------------------
    MessageField* Messages() const { return messages_; }
    QTabWidget* MainTabs() const { return mainTabs_; }
    QTabWidget* WorkTabs() const { return workTabs_; }
    QTabWidget* ParamTabs() const { return paramTabs_; }
    QTableView* RegisterList() const { return registerList_; }
    SalesPage* Sales() const { return sales_; }
    GoodsPage* Goods() const { return goods_; }
    DeletionPage* Deletion() const { return deletion_; }
    RegisterGoodsListPage* RegisterGoodsList() const { return registerGoods_; }
    ErrorReportPage* ErrorReport() const { return errorReport_; }
    TfmParamE* RegisterParameters() const { return registerParams_; }
    TfmPOE* TransferParameters() const { return transferParams_; }
    QPushButton* ExitButton() const { return exit_; }
    QPushButton* HelpButton() const { return help_; }
    QPushButton* ContentsButton() const { return contents_; }
    QPushButton* StopButton() const { return stop_; }
    QProgressBar* BatchBar() const { return batchBar_; }
    QLabel* BatchLabel() const { return batchLabel_; }
    QMenu* GoodsMenu() const { return goodsMenu_; }
    QAction* MarkAllAction() const { return markAll_; }
    QAction* ClearMarksAction() const { return clearMarks_; }
    QAction* InvertMarksAction() const { return invertMarks_; }
    QAction* AssignCodesAction() const { return assignCodes_; }
    QAction* ClearCodesAction() const { return clearCodes_; }
    QAction* SendReadAction() const { return sendRead_; }
    QAction* CloseReadsAction() const { return closeReads_; }

    // The pages of the main and work tabs, in order.
    enum MainPage { kWorkPage, kParamPage, kErrorReportPage, kAboutPage };
    enum WorkPage { kSalesPage, kGoodsPage, kDeletionPage, kRegisterGoodsPage };
    enum ParamPage { kTransferParamPage, kRegisterParamPage };

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Construction (main_window.cpp).
    QWidget* BuildWorkTabs();
    QWidget* BuildParamTabs();
    void BuildMenus();
    void BuildKeys();
    void ConnectCommands();
    void ShowAboutBox();
    void UpdateTitle();
    void FormCreate(const LoginRunner& login);

    // Tab changes and help.
    void PCtrlMainChange();
    void WorkTabChange();
    void ParamTabChange();
    void ReloadGroupsIfAsked();
    void btnHelpClick();
    void btnHlpClick();

    // Register list.
    void FillRegisterList(const std::vector<RegisterListRow>& registers);
    void IBQWKAfterScroll(int row);

    // Commands (main_window_commands.cpp).
    void btnReadClick();
    void btnZerujClick();
    void dtpSprzExit();
    void btnHandelClick();
    void lbOdczytyClick();
    void aWyslijOdczytExecute();
    void aZamknijWykazExecute();
    void aExpoTowarExecute();
    void aKasujTowarExecute();
    void aKasujWszystkieTowaryExecute();
    void btnRefeshDelClick();
    void aZaznaczWszystkoExecute();
    void aCofnijZaznaczeniaExecute();
    void aOdwrocZaznaczeniaExecute();
    void aInitKodKasaExecute();
    void aZerujKodKasaExecute();
    void btnZerujPLUClick();
    void aSzukajExecute();
    void btnMenuClick();
    void aTestKartotekiExecute();
    void aHistoriaPracyExecute();
    void aZerujRaportExecute();
    void aWydrukRaportuExecute();
    // Shows the error report at `path` on the report page.
    void ShowErrorReport(const std::string& path);
    // The report the page shows; the exchange's before any was shown.
    const std::string& ShownErrorReport();
    void btnExitClick();
    void LoadRegisterCodes();
    void ShowWorkPage(int page);
    bool GoodsPageInFront() const;

    void RunClose();

    WindowOperations& operations_;
    GoodsListSource& goodsSource_;
    std::string programFile_;
    std::unique_ptr<CommandInputBlocker> inputBlocker_;
    bool startedUp_ = false;
    bool startupQueued_ = false;
    bool closePending_ = false;
    bool closing_ = false;
    bool reloadGroups_ = false;
    std::string shownReport_;
    int busyDepth_ = 0;
    bool batchRunning_ = false;
    bool stopRequested_ = false;
    std::string batchCaption_;
    std::size_t batchFailed_ = 0;

    MessageField* messages_ = nullptr;
    QPushButton* exit_ = nullptr;
    QPushButton* help_ = nullptr;
    QPushButton* contents_ = nullptr;
    QPushButton* stop_ = nullptr;
    QLabel* batchLabel_ = nullptr;
    QProgressBar* batchBar_ = nullptr;
    QTableView* registerList_ = nullptr;
    QStandardItemModel* registerModel_ = nullptr;
    std::vector<int> registerIds_;
    QTabWidget* mainTabs_ = nullptr;
    QTabWidget* workTabs_ = nullptr;
    QTabWidget* paramTabs_ = nullptr;
    QWidget* aboutTab_ = nullptr;
    SalesPage* sales_ = nullptr;
    GoodsPage* goods_ = nullptr;
    DeletionPage* deletion_ = nullptr;
    RegisterGoodsListPage* registerGoods_ = nullptr;
    ErrorReportPage* errorReport_ = nullptr;
    TfmParamE* registerParams_ = nullptr;
    TfmPOE* transferParams_ = nullptr;
    QMenu* goodsMenu_ = nullptr;
    QAction* markAll_ = nullptr;
    QAction* clearMarks_ = nullptr;
    QAction* invertMarks_ = nullptr;
    QAction* assignCodes_ = nullptr;
    QAction* clearCodes_ = nullptr;
    QAction* sendRead_ = nullptr;
    QAction* closeReads_ = nullptr;
};

}  // namespace rubso
