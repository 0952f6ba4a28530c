#include "app/ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QShortcut>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

#include "app/ui/about_box.h"
#include "app/ui/command_frame.h"
#include "app/ui/deletion_page.h"
#include "app/ui/error_report_page.h"
#include "app/ui/goods_page.h"
#include "app/ui/help_window.h"
#include "app/ui/message_box.h"
#include "app/ui/message_field.h"
#include "app/ui/register_params_page.h"
#include "app/ui/sales_page.h"
#include "app/ui/transfer_params_page.h"
#include "app/ui/window_operations.h"
#include "core/app_state.h"
#include "core/codepage.h"
#include "core/command_guard.h"
#include "core/ini_file.h"
#include "core/work_log.h"
#include "db/tdm.h"
#include "register/current_register.h"

namespace rubso {
namespace {

// The help topic of each page (its tag); 0: none.
constexpr int kWorkPageTopics[] = {10, 15, 12, 0};
constexpr int kParamPageTopics[] = {11, 13};
constexpr int kErrorReportTopic = 16;

constexpr const char* kAboutTitle = "Wymiana danych z kasami ELZAB";

}  // namespace

TFrm::TFrm(WindowOperations& operations, GoodsListSource& goodsSource, LoginRunner login,
           std::string programFile)
    : operations_(operations), goodsSource_(goodsSource), programFile_(std::move(programFile)) {
    setObjectName("Frm");
    if (!App().iniFile) App().iniFile = std::make_shared<IniFile>(std::string());
    SetOperator(this);
    inputBlocker_ = std::make_unique<CommandInputBlocker>(this);
    SetAfterCommandHook([this] {
        if (closePending_) {
            closePending_ = false;
            close();
        }
    });

    exit_ = new QPushButton(QStringLiteral("&Wyjście z programu "), this);
    exit_->setObjectName("btnExit");

    registerModel_ = new QStandardItemModel(0, 1, this);
    registerModel_->setHorizontalHeaderLabels({QStringLiteral("Kasa")});
    registerList_ = new QTableView(this);
    registerList_->setObjectName("dbgWK");
    registerList_->setModel(registerModel_);
    registerList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    registerList_->setSelectionMode(QAbstractItemView::SingleSelection);
    registerList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // One stop in the Tab order: Tab leaves the list, only the arrow keys
    // (and the mouse) choose another register.
    registerList_->setTabKeyNavigation(false);
    registerList_->setToolTip(QStringLiteral("Wybór kasy: strzałki w górę i w dół"));
    registerList_->verticalHeader()->hide();
    registerList_->horizontalHeader()->setStretchLastSection(true);
    registerList_->setFixedWidth(
        registerList_->fontMetrics().horizontalAdvance(QStringLiteral("Kasa 0000")) + 24);
    // The current register stays marked as strongly when the focus is elsewhere.
    QPalette listColours = registerList_->palette();
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
        listColours.setColor(QPalette::Inactive, role, listColours.color(QPalette::Active, role));
    }
    registerList_->setPalette(listColours);

    mainTabs_ = new QTabWidget(this);
    mainTabs_->setObjectName("PCtrlMain");
    mainTabs_->addTab(BuildWorkTabs(), QStringLiteral("Praca z &kasami"));
    mainTabs_->addTab(BuildParamTabs(), QStringLiteral("Para&metry"));
    errorReport_ = new ErrorReportPage(this);
    mainTabs_->addTab(errorReport_, QStringLiteral("&Raport o błędach"));
    aboutTab_ = new QWidget(this);
    aboutTab_->setObjectName("tbsOpis");
    new QVBoxLayout(aboutTab_);
    mainTabs_->addTab(aboutTab_, QStringLiteral("O pro&gramie"));
    // The exit button sits at the top, beside the tabs, so the pages keep
    // the whole height of a small screen.
    mainTabs_->setCornerWidget(exit_, Qt::TopRightCorner);

    messages_ = new MessageField(this);
    batchLabel_ = new QLabel(this);
    batchLabel_->setObjectName("lbBatch");
    batchBar_ = new QProgressBar(this);
    batchBar_->setObjectName("pbBatch");
    batchBar_->setMaximumWidth(160);
    stop_ = new QPushButton(QStringLiteral("Przerwij (Esc)"), this);
    stop_->setObjectName("btnStop");
    stop_->setToolTip(QStringLiteral("Zatrzymaj po bieżącej pozycji"));
    for (QWidget* widget : {static_cast<QWidget*>(batchLabel_), static_cast<QWidget*>(batchBar_),
                            static_cast<QWidget*>(stop_)}) {
        widget->hide();
    }
    inputBlocker_->AllowWhileRunning(stop_);
    // "Wyjście" during a command: a batch stops after its current item and
    // the window closes once the command has ended.
    inputBlocker_->AllowWhileRunning(exit_);
    connect(exit_, &QPushButton::clicked, this, [this] {
        if (!IsCommandRunning()) return;  // otherwise its command runs
        WriteWorkLog("***********  Koniec pracy - Exit");
        close();
    });
    inputBlocker_->onEscape = [this] { RequestStop(); };
    connect(stop_, &QPushButton::clicked, this, [this] { RequestStop(); });

    help_ = new QPushButton(QStringLiteral("Pomoc (F1)"), this);
    help_->setObjectName("btnHelp");
    help_->setToolTip(QStringLiteral("Pomoc do bieżącej strony"));
    contents_ = new QPushButton(QStringLiteral("&Spis treści"), this);
    contents_->setObjectName("btnHlp");
    contents_->setToolTip(QStringLiteral("Spis treści pomocy"));
    for (QPushButton* button : {exit_, help_, contents_, stop_}) button->setAutoDefault(false);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(messages_, 1);
    bottom->addWidget(batchLabel_);
    bottom->addWidget(batchBar_);
    bottom->addWidget(stop_);
    bottom->addWidget(help_);
    bottom->addWidget(contents_);

    auto* centre = new QHBoxLayout;
    centre->addWidget(registerList_);
    centre->addWidget(mainTabs_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(centre, 1);
    layout->addLayout(bottom);

    BuildMenus();
    BuildKeys();
    ConnectCommands();
    resize(1100, 720);
    UpdateTitle();

    FormCreate(login);
}

TFrm::~TFrm() {
    SetAfterCommandHook({});
    SetOperator(nullptr);
}

QWidget* TFrm::BuildWorkTabs() {
    workTabs_ = new QTabWidget(this);
    workTabs_->setObjectName("tbsPraca");
    workTabs_->setTabPosition(QTabWidget::South);
    sales_ = new SalesPage(this);
    goods_ = new GoodsPage(goodsSource_, this);
    deletion_ = new DeletionPage(this);
    registerGoods_ = new RegisterGoodsListPage(this);
    workTabs_->addTab(sales_, QStringLiteral("Odczyt sprzedaży i eksport do handlu"));
    workTabs_->addTab(goods_, QStringLiteral("Eksport towarów do kasy"));
    workTabs_->addTab(deletion_, QStringLiteral("Kasowanie towarów w kasie"));
    workTabs_->addTab(registerGoods_, QStringLiteral("Wykaz towarów w kasie"));
    return workTabs_;
}

QWidget* TFrm::BuildParamTabs() {
    paramTabs_ = new QTabWidget(this);
    paramTabs_->setObjectName("tbsParam");
    paramTabs_->setTabPosition(QTabWidget::South);
    transferParams_ = new TfmPOE(this);
    registerParams_ = new TfmParamE(*App().iniFile, this);
    paramTabs_->addTab(transferParams_, QStringLiteral("Parametry ogólne"));
    paramTabs_->addTab(registerParams_, QStringLiteral("Parametry kas"));
    transferParams_->readColumns = [this](const std::string& barKod) {
        return operations_.ReadCatalogueColumns(barKod);
    };
    transferParams_->onPriceColumnsRead = [this](const std::vector<std::string>& names) {
        registerParams_->Refresh(names);
    };
    transferParams_->onGoodsSourceChanged = [this] {
        // The goods list is read again on the next visit of its page.
        reloadGroups_ = true;
        goods_->List()->Model().Clear();
    };
    registerParams_->onPriceColumnSaved = [this](const std::string& section) {
        if (section == CurrentRegisterSection() && goods_->List()->IsLoaded()) {
            goods_->List()->LoadGoodsList();
        }
    };
    return paramTabs_;
}

void TFrm::BuildMenus() {
    goodsMenu_ = new QMenu(this);
    markAll_ = goodsMenu_->addAction(QStringLiteral("Zaznacz wszystko"));
    clearMarks_ = goodsMenu_->addAction(QStringLiteral("Cofnij zaznaczenia"));
    invertMarks_ = goodsMenu_->addAction(QStringLiteral("Odwróć zaznaczenia"));
    goodsMenu_->addSeparator();
    assignCodes_ = goodsMenu_->addAction(QStringLiteral("Uzupełnienie pola KOD_KASA"));
    clearCodes_ = goodsMenu_->addAction(QStringLiteral("Zerowanie pola KOD_KASA"));

    QMenu* reads = sales_->ReadsMenu();
    sendRead_ = reads->addAction(QStringLiteral("Prześlij dane do Handlu"));
    closeReads_ = reads->addAction(QStringLiteral("Zamknij wykaz"));
}

namespace {

// The name of a command as its control shows it, without the mnemonic mark.
QString CommandNameOf(const QString& caption) {
    QString name = caption;
    name.remove(QLatin1Char('&'));
    return name.trimmed();
}

}  // namespace

void TFrm::BuildKeys() {
    auto key = [this](const QKeySequence& sequence, const QString& name, void (TFrm::*command)()) {
        auto* shortcut = new QShortcut(sequence, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this,
                [this, name, command] { RunUiCommand(name, [&] { (this->*command)(); }); });
    };
    key(QKeySequence(Qt::Key_F1), QStringLiteral("Pomoc"), &TFrm::btnHelpClick);
    key(QKeySequence(Qt::Key_F2), QStringLiteral("Wyszukiwanie towaru"), &TFrm::aSzukajExecute);
    key(QKeySequence(Qt::CTRL | Qt::Key_F10), QStringLiteral("Zerowanie kodów PLU"),
        &TFrm::btnZerujPLUClick);
}

void TFrm::ConnectCommands() {
    auto on = [this](QPushButton* button, void (TFrm::*command)()) {
        connect(button, &QPushButton::clicked, this, [this, button, command] {
            RunUiCommand(CommandNameOf(button->text()), [&] { (this->*command)(); });
        });
    };
    auto onAction = [this](QAction* action, void (TFrm::*command)()) {
        connect(action, &QAction::triggered, this, [this, action, command] {
            RunUiCommand(CommandNameOf(action->text()), [&] { (this->*command)(); });
        });
    };
    on(exit_, &TFrm::btnExitClick);
    on(help_, &TFrm::btnHelpClick);
    on(contents_, &TFrm::btnHlpClick);
    on(sales_->ReadButton(), &TFrm::btnReadClick);
    on(sales_->ResetButton(), &TFrm::btnZerujClick);
    on(sales_->SendButton(), &TFrm::btnHandelClick);
    on(goods_->ExportButton(), &TFrm::aExpoTowarExecute);
    on(deletion_->SelectedButton(), &TFrm::aKasujTowarExecute);
    on(deletion_->AllButton(), &TFrm::aKasujWszystkieTowaryExecute);
    on(deletion_->RefreshButton(), &TFrm::btnRefeshDelClick);
    on(registerGoods_->LoadButton(), &TFrm::btnRefeshDelClick);
    on(errorReport_->MenuButton(), &TFrm::btnMenuClick);
    onAction(markAll_, &TFrm::aZaznaczWszystkoExecute);
    onAction(clearMarks_, &TFrm::aCofnijZaznaczeniaExecute);
    onAction(invertMarks_, &TFrm::aOdwrocZaznaczeniaExecute);
    onAction(assignCodes_, &TFrm::aInitKodKasaExecute);
    onAction(clearCodes_, &TFrm::aZerujKodKasaExecute);
    onAction(sendRead_, &TFrm::aWyslijOdczytExecute);
    onAction(closeReads_, &TFrm::aZamknijWykazExecute);
    onAction(errorReport_->GoodsFileTestAction(), &TFrm::aTestKartotekiExecute);
    onAction(errorReport_->WorkLogAction(), &TFrm::aHistoriaPracyExecute);
    onAction(errorReport_->ClearReportAction(), &TFrm::aZerujRaportExecute);
    onAction(errorReport_->PrintAction(), &TFrm::aWydrukRaportuExecute);

    // A click, or Enter on the keyboard, shows the read; its menu (the
    // transfer) opens with the right button or the menu key.
    for (const auto signal : {&QListWidget::itemClicked, &QListWidget::itemActivated}) {
        connect(sales_->ReadsList(), signal, this, [this] {
            RunUiCommand(QStringLiteral("Wczytanie odczytu"), [&] { lbOdczytyClick(); });
        });
    }
    connect(sales_->ReadsList(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) {
                if (!IsCommandRunning()) {
                    sales_->ReadsMenu()->popup(sales_->ReadsList()->mapToGlobal(at));
                }
            });
    // Leaving the date picker moves the day and register directories.
    sales_->DatePicker()->installEventFilter(this);
    for (QTableView* grid : {goods_->List()->Grid(), deletion_->Grid()}) {
        connect(grid, &QWidget::customContextMenuRequested, this, [this, grid](const QPoint& at) {
            if (!IsCommandRunning()) goodsMenu_->popup(grid->viewport()->mapToGlobal(at));
        });
    }
    // A tab change is named after the page it brings forward.
    auto tabChange = [this](QTabWidget* tabs, void (TFrm::*handler)()) {
        connect(tabs, &QTabWidget::currentChanged, this, [this, tabs, handler](int index) {
            RunUiCommand(CommandNameOf(tabs->tabText(index)), [&] { (this->*handler)(); });
        });
    };
    tabChange(mainTabs_, &TFrm::PCtrlMainChange);
    tabChange(workTabs_, &TFrm::WorkTabChange);
    tabChange(paramTabs_, &TFrm::ParamTabChange);
    connect(registerList_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                RunUiCommand(QStringLiteral("Wybór kasy"),
                             [&] { IBQWKAfterScroll(current.row()); });
            });
}

// --- Creation and closing -----------------------------------------------------

void TFrm::FormCreate(const LoginRunner& login) {
    AppState& app = App();
    app.quitRequested = false;
    app.connectResult = ConnectResult::NotFinished;
    if (login) login(this);
    if (!app.quitRequested) return;
    try {
        if (DM().IBBaza.IsConnected()) DM().IBBaza.Detach();
    } catch (const std::logic_error&) {
        // No data module: nothing to disconnect.
    }
    WriteWorkLog("***********  Koniec pracy - rezygnacja z wejscia");
}

void TFrm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (startedUp_ || startupQueued_) return;
    // The start-up work runs once the window is on the screen, so that its
    // messages can be seen.
    startupQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        RunUiCommand(QStringLiteral("Uruchamianie programu"), [&] { FormShow(); });
    });
}

void TFrm::closeEvent(QCloseEvent* event) {
    if (IsCommandRunning()) {
        // The close waits for the running command (a batch stops after its
        // current item); the after-command hook closes the window then.
        closePending_ = true;
        RequestStop();
        event->ignore();
        return;
    }
    if (!closing_) {
        closing_ = true;
        RunUiCommand(
            QStringLiteral("Zamykanie programu"), [&] { RunClose(); }, EntryCheck::Skip);
    }
    event->accept();
}

void TFrm::RunClose() {
    // The closing line is written even when storing the choice fails (a
    // connection lost meanwhile).
    const auto logEnd = qScopeGuard([] { WriteWorkLog("***********  Koniec pracy - Close"); });
    operations_.StoreListChoiceAndDisconnect(goods_->List()->ListChoice());
}

void TFrm::UpdateTitle() {
    std::string title = App().appTitle + " v." + kProgramVersion;
    if (const auto& current = CurrentRegister()) {
        if (!current->nazwa.empty()) title += "       " + current->nazwa;
        if (!current->nrSysKasa.empty()) title += "  Nr systemowy kasy: " + current->nrSysKasa;
    }
    setWindowTitle(FromCp1250(title));
}

void TFrm::ShowAboutBox() {
    auto* about = new TfmInfProg(kAboutTitle, programFile_, aboutTab_);
    aboutTab_->layout()->addWidget(about);
    about->show();
}

// --- Operator -------------------------------------------------------------------

void TFrm::ShowStatus(const std::string& text, bool error) {
    messages_->Show(text, error);
}

MessageAnswer TFrm::Ask(const MessageBoxRequest& request) {
    if (request.icon != MessageIcon::Error) {
        return ShowMessageBox(isVisible() ? this : nullptr, request);
    }
    // An error's text may come from a library or the database server, in
    // their language; a Polish sentence first says which command failed.
    MessageBoxRequest error = request;
    const QString command = RunningCommandName();
    error.text =
        ToCp1250(command.isEmpty()
                     ? QStringLiteral("Wystąpił błąd:")
                     : QStringLiteral("Polecenie „%1” zakończyło się błędem:").arg(command)) +
        "\n\n" + request.text;
    return ShowMessageBox(isVisible() ? this : nullptr, error);
}

void TFrm::SetBusyCursor(bool busy) {
    if (busy) {
        if (busyDepth_++ == 0) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            // On the screen now, not when the long work after it yields.
            QGuiApplication::sync();
        }
    } else if (busyDepth_ > 0 && --busyDepth_ == 0) {
        QApplication::restoreOverrideCursor();
    }
}

void TFrm::ProcessPendingMessages() {
    QCoreApplication::processEvents();
}

void TFrm::AddSalesMemoLine(const std::string& line) {
    sales_->AddMemoLine(line);
}

void TFrm::ClearSalesMemo() {
    sales_->ClearMemo();
}

void TFrm::StartBatch(const std::string& caption, std::size_t total) {
    batchRunning_ = true;
    stopRequested_ = false;
    batchCaption_ = caption;
    batchFailed_ = 0;
    batchBar_->setRange(0, static_cast<int>(std::min<std::size_t>(total, INT_MAX)));
    batchBar_->setValue(0);
    batchLabel_->setText(FromCp1250(caption) + QStringLiteral(": 0 z ") + QString::number(total));
    stop_->setEnabled(true);
    for (QWidget* widget : {static_cast<QWidget*>(batchLabel_), static_cast<QWidget*>(batchBar_),
                            static_cast<QWidget*>(stop_)}) {
        widget->show();
    }
}

void TFrm::ShowBatchProgress(std::size_t done, std::size_t total, std::size_t failed) {
    if (!batchRunning_) return;
    // A long batch repaints its progress once a thousandth of the way (and
    // on every failure and at the end), not once an item.
    const std::size_t step = std::max<std::size_t>(1, total / 1000);
    if (done % step != 0 && done != total && failed == batchFailed_) return;
    batchFailed_ = failed;
    QString text = FromCp1250(batchCaption_) + QStringLiteral(": %1 z %2").arg(done).arg(total);
    if (failed > 0) text += QStringLiteral(", błędy: %1").arg(failed);
    if (stopRequested_) text += QStringLiteral(" — zatrzymywanie");
    batchLabel_->setText(text);
    batchBar_->setValue(static_cast<int>(std::min<std::size_t>(done, INT_MAX)));
}

void TFrm::EndBatch() {
    batchRunning_ = false;
    for (QWidget* widget : {static_cast<QWidget*>(batchLabel_), static_cast<QWidget*>(batchBar_),
                            static_cast<QWidget*>(stop_)}) {
        widget->hide();
    }
}

void TFrm::RequestStop() {
    if (!batchRunning_ || stopRequested_) return;
    stopRequested_ = true;
    stop_->setEnabled(false);
    batchLabel_->setText(batchLabel_->text() + QStringLiteral(" — zatrzymywanie"));
    WriteWorkLog(Cp1250("Przerwanie na żądanie: ") + batchCaption_);
}

void TFrm::Terminate(const std::string& signalName) {
    WriteWorkLog("***********  Koniec pracy - " + signalName);
    if (!IsCommandRunning()) {
        close();
        return;
    }
    // The running command ends first: a batch after its current item, a
    // question with its preselected answer. The after-command hook closes.
    closePending_ = true;
    RequestStop();
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
}

// --- Tabs and help ----------------------------------------------------------------

void TFrm::ReloadGroupsIfAsked() {
    if (reloadGroups_) goods_->List()->ClearGroups();
    reloadGroups_ = false;
}

void TFrm::PCtrlMainChange() {
    ReloadGroupsIfAsked();
    AppState& app = App();
    app.helpContext = 0;
    switch (mainTabs_->currentIndex()) {
        case kParamPage:
            app.helpContext = kParamPageTopics[paramTabs_->currentIndex() == kRegisterParamPage];
            break;
        case kErrorReportPage:
            app.helpContext = kErrorReportTopic;
            ShowErrorReport(operations_.ExchangeReportPath());
            break;
        default:
            break;
    }
}

void TFrm::WorkTabChange() {
    ReloadGroupsIfAsked();
    const int page = workTabs_->currentIndex();
    App().helpContext = page >= 0 ? kWorkPageTopics[page] : 0;
    if (page == kGoodsPage) {
        Komunikat("");
        GoodsListView* list = goods_->List();
        list->LoadGroupsIfEmpty();
        // With the stored choice "Aktywne " nothing loaded the list at start.
        if (!list->IsLoaded()) list->LoadGoodsList();
        list->FocusGrid();
    } else if (page == kDeletionPage) {
        Komunikat("");
        LoadRegisterCodes();
        deletion_->Grid()->setFocus();
    }
}

void TFrm::ParamTabChange() {
    App().helpContext = kParamPageTopics[paramTabs_->currentIndex() == kRegisterParamPage];
}

void TFrm::btnHelpClick() {
    if (App().helpContext == 0) return;
    ShowHelpTopic(this, App().appDir, App().helpContext);
}

void TFrm::btnHlpClick() {
    ShowHelpTopic(this, App().appDir, 0);
}

// --- Register list ------------------------------------------------------------------

void TFrm::FillRegisterList(const std::vector<RegisterListRow>& registers) {
    QSignalBlocker quiet(registerList_->selectionModel());
    registerModel_->removeRows(0, registerModel_->rowCount());
    registerIds_.clear();
    for (const RegisterListRow& row : registers) {
        registerModel_->appendRow(new QStandardItem(FromCp1250(KasaDisplayText(row.kodKasa))));
        registerIds_.push_back(row.id);
    }
    if (!registers.empty()) {
        registerList_->setCurrentIndex(registerModel_->index(0, 0));
    }
}

void TFrm::IBQWKAfterScroll(int row) {
    const int id = row >= 0 && row < static_cast<int>(registerIds_.size())
                       ? registerIds_[static_cast<std::size_t>(row)]
                       : -1;
    operations_.SelectRegister(id);
    UpdateTitle();
    if (App().registerNo >= 1 && App().registerNo <= App().registerSlots) {
        registerParams_->SelectRegister(App().registerNo);
    }
    if (!startedUp_) return;
    // The goods grid shows the price column of the register now current.
    if (goods_->List()->IsLoaded()) goods_->List()->LoadGoodsList();
    if (workTabs_->currentIndex() == kDeletionPage) LoadRegisterCodes();
}

}  // namespace rubso
