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
#include <QPushButton>
#include <QScopeGuard>
#include <QShortcut>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include "app/core/app_state.h"
#include "app/core/codepage.h"
#include "app/core/command_guard.h"
#include "app/core/ini_file.h"
#include "app/core/work_log.h"
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

    exit_ = new QPushButton(QStringLiteral("Wyjście z programu "), this);
    exit_->setObjectName("btnExit");
    auto* top = new QHBoxLayout;
    top->addWidget(exit_);
    top->addStretch();

    registerModel_ = new QStandardItemModel(0, 1, this);
    registerModel_->setHorizontalHeaderLabels({QStringLiteral("Kasa")});
    registerList_ = new QTableView(this);
    registerList_->setObjectName("dbgWK");
    registerList_->setModel(registerModel_);
    registerList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    registerList_->setSelectionMode(QAbstractItemView::SingleSelection);
    registerList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    registerList_->verticalHeader()->hide();
    registerList_->horizontalHeader()->setStretchLastSection(true);
    registerList_->setFixedWidth(90);

    mainTabs_ = new QTabWidget(this);
    mainTabs_->setObjectName("PCtrlMain");
    mainTabs_->addTab(BuildWorkTabs(), QStringLiteral("Praca z kasami"));
    mainTabs_->addTab(BuildParamTabs(), QStringLiteral("Parametry"));
    errorReport_ = new ErrorReportPage(this);
    mainTabs_->addTab(errorReport_, QStringLiteral("Raport o błędach"));
    aboutTab_ = new QWidget(this);
    aboutTab_->setObjectName("tbsOpis");
    new QVBoxLayout(aboutTab_);
    mainTabs_->addTab(aboutTab_, QStringLiteral("O programie"));

    messages_ = new MessageField(this);
    help_ = new QPushButton(QStringLiteral("Pomoc"), this);
    help_->setObjectName("btnHelp");
    help_->setToolTip(QStringLiteral("Pomoc do bieżącej strony"));
    contents_ = new QPushButton(QStringLiteral("Spis treści"), this);
    contents_->setObjectName("btnHlp");
    contents_->setToolTip(QStringLiteral("Spis treści pomocy"));
    for (QPushButton* button : {exit_, help_, contents_}) button->setAutoDefault(false);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(messages_, 1);
    bottom->addWidget(help_);
    bottom->addWidget(contents_);

    auto* centre = new QHBoxLayout;
    centre->addWidget(registerList_);
    centre->addWidget(mainTabs_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
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

void TFrm::BuildKeys() {
    auto key = [this](const QKeySequence& sequence, void (TFrm::*command)()) {
        auto* shortcut = new QShortcut(sequence, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this,
                [this, command] { RunUiCommand([&] { (this->*command)(); }); });
    };
    key(QKeySequence(Qt::Key_F2), &TFrm::aSzukajExecute);
    key(QKeySequence(Qt::CTRL | Qt::Key_F10), &TFrm::btnZerujPLUClick);
}

void TFrm::ConnectCommands() {
    auto on = [this](QPushButton* button, void (TFrm::*command)()) {
        connect(button, &QPushButton::clicked, this,
                [this, command] { RunUiCommand([&] { (this->*command)(); }); });
    };
    auto onAction = [this](QAction* action, void (TFrm::*command)()) {
        connect(action, &QAction::triggered, this,
                [this, command] { RunUiCommand([&] { (this->*command)(); }); });
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

    connect(sales_->ReadsList(), &QListWidget::itemClicked, this,
            [this] { RunUiCommand([&] { lbOdczytyClick(); }); });
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
    connect(mainTabs_, &QTabWidget::currentChanged, this,
            [this](int) { RunUiCommand([&] { PCtrlMainChange(); }); });
    connect(workTabs_, &QTabWidget::currentChanged, this,
            [this](int) { RunUiCommand([&] { WorkTabChange(); }); });
    connect(paramTabs_, &QTabWidget::currentChanged, this,
            [this](int) { RunUiCommand([&] { ParamTabChange(); }); });
    connect(registerList_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                RunUiCommand([&] { IBQWKAfterScroll(current.row()); });
            });
}

// --- Creation and closing -----------------------------------------------------

void TFrm::FormCreate(const LoginRunner& login) {
    AppState& app = App();
    app.quitRequested = false;
    app.connectResult = -1;
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
    QTimer::singleShot(0, this, [this] { RunUiCommand([&] { FormShow(); }); });
}

void TFrm::closeEvent(QCloseEvent* event) {
    if (IsCommandRunning()) {
        // The close waits for the running command; the after-command hook
        // closes the window then.
        closePending_ = true;
        event->ignore();
        return;
    }
    if (!closing_) {
        closing_ = true;
        RunUiCommand([&] { RunClose(); }, EntryCheck::Skip);
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
    return ShowMessageBox(isVisible() ? this : nullptr, request);
}

void TFrm::SetBusyCursor(bool busy) {
    if (busy) {
        if (busyDepth_++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
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
            errorReport_->Clear();
            errorReport_->ShowFile(app.errorReportPath, "Brak raportu");
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
