// TFrm's commands: each one frames one operation (what it disables, what it
// clears first, what it shows afterwards). The operations do the work. A
// command on the register holds the register's lock while it runs and is
// refused while the end of day works on that register (register_lock.h).

#include <QCheckBox>
#include <QDateEdit>
#include <QDesktopServices>
#include <QEvent>
#include <QGroupBox>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTableView>
#include <QUrl>

#include "app/ui/command_frame.h"
#include "app/ui/deletion_page.h"
#include "app/ui/error_report_page.h"
#include "app/ui/goods_page.h"
#include "app/ui/main_window.h"
#include "app/ui/sales_page.h"
#include "app/ui/window_operations.h"
#include "core/app_state.h"
#include "core/codepage.h"
#include "core/file_utils.h"
#include "core/installation_settings.h"
#include "core/polish_letters.h"
#include "core/text_utils.h"
#include "core/work_log.h"
#include "register/register_lock.h"

namespace rubso {

bool TFrm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == sales_->DatePicker() && event->type() == QEvent::FocusOut) {
        RunUiCommand([&] { dtpSprzExit(); });
    }
    return QWidget::eventFilter(watched, event);
}

// --- Sales page -----------------------------------------------------------------

void TFrm::dtpSprzExit() {
    const QDate picked = sales_->DatePicker()->date();
    if (picked != App().saleDate) SetSaleDate(picked);
}

void TFrm::btnReadClick() {
    dtpSprzExit();
    DisabledWhileRunning disabled{sales_->ReadButton()};
    ClearSalesMemo();
    Komunikat("");
    FileLock registerLock;
    if (!LockCurrentRegisterForCommand(registerLock)) return;
    operations_.ReadSales();
}

void TFrm::btnZerujClick() {
    dtpSprzExit();
    Komunikat("");
    DisabledWhileRunning disabled{sales_->ReadButton(), sales_->ResetButton()};
    FileLock registerLock;
    if (!LockCurrentRegisterForCommand(registerLock)) return;
    operations_.ResetCounters();
}

void TFrm::btnHandelClick() {
    dtpSprzExit();
    DisabledWhileRunning disabled{sales_->SendButton()};
    sales_->HideReads();
    std::vector<std::string> files;
    ListFiles(files, App().kasaDir, "*.txt");
    if (files.empty()) {
        AddSalesMemoLine(Cp1250("Brak odczytów z kasy ") + std::to_string(App().registerNo) +
                         " z dnia " + DateText(App().saleDate));
        return;
    }
    for (std::string& file : files) file = file.substr(App().kasaDir.size());
    sales_->ShowReads(files);
}

void TFrm::lbOdczytyClick() {
    const std::string file = sales_->SelectedRead();
    if (file.empty()) return;
    sales_->ShowMemoText(ReadFileText(App().kasaDir + file));
}

void TFrm::aWyslijOdczytExecute() {
    const std::string file = sales_->SelectedRead();
    if (file.empty()) return;
    Komunikat("");
    FileLock registerLock;
    if (!LockCurrentRegisterForCommand(registerLock)) return;
    operations_.TransferSalesRead(App().kasaDir + file);
}

void TFrm::aZamknijWykazExecute() {
    sales_->HideReads();
    sales_->SendButton()->setEnabled(true);
    ClearSalesMemo();
}

// --- Goods page -----------------------------------------------------------------

void TFrm::aExpoTowarExecute() {
    Komunikat("");
    DisabledWhileRunning disabled{goods_->ExportButton(), deletion_->AllButton(),
                                  deletion_->SelectedButton(), deletion_->DeletionGroup()};
    FileLock registerLock;
    if (!LockCurrentRegisterForCommand(registerLock)) return;
    GoodsListView* list = goods_->List();
    std::vector<std::string> marked = list->MarkedSymbols();
    const auto remark = qScopeGuard([&] {
        // The goods sent lose their marks, also when the export stopped.
        list->Model().ClearMarks();
        list->Model().MarkSymbols(marked);
        list->UntickGroups();
    });
    ExportChoice choice;
    choice.fullData = goods_->FullData();
    choice.stopOnFirstError = goods_->StopOnFirstError()->isChecked();
    operations_.ExportGoods(marked, choice);
}

bool TFrm::GoodsPageInFront() const {
    return workTabs_->currentIndex() == kGoodsPage;
}

void TFrm::aZaznaczWszystkoExecute() {
    if (GoodsPageInFront()) {
        goods_->List()->MarkAll();
    } else {
        deletion_->Model().MarkAll();
    }
}

void TFrm::aCofnijZaznaczeniaExecute() {
    if (GoodsPageInFront()) {
        goods_->List()->ClearMarks();
    } else {
        deletion_->Model().ClearMarks();
    }
}

void TFrm::aOdwrocZaznaczeniaExecute() {
    if (GoodsPageInFront()) {
        goods_->List()->InvertMarks();
    } else {
        deletion_->Model().InvertMarks();
    }
}

void TFrm::aInitKodKasaExecute() {
    operations_.AssignRegisterCodes(goods_->List()->TickedGroups());
    if (goods_->List()->IsLoaded()) goods_->List()->ReloadKeepingCurrentGood();
}

void TFrm::aZerujKodKasaExecute() {
    // The codes are zeroed in the goods table the list shows, then the list
    // is read again.
    operations_.ResetRegisterCodes(CodeResetValue::Zero);
    goods_->List()->LoadGoodsList();
}

void TFrm::btnZerujPLUClick() {
    MessageBoxRequest question;
    question.text = Cp1250("Czy naprawdę chcesz wyzerować kody PLU w kartotece?");
    question.title = Cp1250("Zerowanie kodów PLU");
    question.icon = MessageIcon::Warning;
    question.buttons = MessageButtons::YesNo;
    question.preselected = MessageAnswer::No;
    if (Ask(question) != MessageAnswer::Yes) return;
    BusyCursorScope busy;
    operations_.ResetRegisterCodes(CodeResetValue::Null);
    if (goods_->List()->IsLoaded()) goods_->List()->ReloadKeepingCurrentGood();
}

void TFrm::aSzukajExecute() {
    ShowWorkPage(kGoodsPage);
    goods_->List()->FocusSearch();
}

void TFrm::ShowWorkPage(int page) {
    const bool mainChanged = mainTabs_->currentIndex() != kWorkPage;
    const bool workChanged = workTabs_->currentIndex() != page;
    // Inside a command the tab widgets' own change handling is refused, so
    // the handlers run here.
    mainTabs_->setCurrentIndex(kWorkPage);
    workTabs_->setCurrentIndex(page);
    if (mainChanged) PCtrlMainChange();
    if (mainChanged || workChanged) WorkTabChange();
}

// --- Deletion and the register's goods list -----------------------------------------

void TFrm::LoadRegisterCodes() {
    deletion_->Model().SetRows(operations_.RegisterCodes());
}

void TFrm::aKasujTowarExecute() {
    DisabledWhileRunning disabled{deletion_->AllButton(), deletion_->SelectedButton()};
    Komunikat("");
    ProcessPendingMessages();
    FileLock registerLock;
    if (!LockCurrentRegisterForCommand(registerLock)) return;
    std::vector<std::int64_t> selected = deletion_->Model().MarkedCodes();
    const auto remark = qScopeGuard([&] {
        LoadRegisterCodes();
        deletion_->Model().MarkCodes(selected);
    });
    operations_.DeleteSelected(selected);
}

void TFrm::aKasujWszystkieTowaryExecute() {
    Komunikat("");
    DisabledWhileRunning disabled{deletion_->AllButton(), deletion_->SelectedButton(),
                                  goods_->ExportButton()};
    FileLock registerLock;
    if (!LockCurrentRegisterForCommand(registerLock)) return;
    BusyCursorScope busy;
    const auto reload = qScopeGuard([&] { LoadRegisterCodes(); });
    operations_.DeleteAll();
}

void TFrm::btnRefeshDelClick() {
    QPushButton* refresh = deletion_->RefreshButton();
    refresh->hide();
    const auto showAgain = qScopeGuard([refresh] { refresh->show(); });
    DisabledWhileRunning disabled{refresh, registerGoods_->LoadButton()};
    FileLock registerLock;
    if (!LockCurrentRegisterForCommand(registerLock)) return;
    std::optional<std::vector<std::string>> lines = operations_.ReadRegisterGoods();
    if (lines) {
        // Names went to the register in code page 852 when the trading
        // program has a letter standard; on screen they get their letters
        // back. The file stays as the library wrote it.
        if (App().letterStandardIndex != 0) {
            for (std::string& line : *lines) {
                line = ConvertPolishLetters(line, kRowLatin2, kRowWindows1250);
            }
        }
        registerGoods_->ShowLines(*lines);
    }
    LoadRegisterCodes();
}

// --- Error report ---------------------------------------------------------------------

void TFrm::btnMenuClick() {
    QPushButton* button = errorReport_->MenuButton();
    errorReport_->Menu()->popup(button->mapToGlobal(QPoint(button->width(), 0)));
}

void TFrm::aTestKartotekiExecute() {
    errorReport_->Clear();
    operations_.GoodsFileTest();
    errorReport_->ShowFile(App().errorReportPath, "Brak raportu");
}

void TFrm::aHistoriaPracyExecute() {
    errorReport_->Clear();
    errorReport_->ShowFile(WorkLogPath(), "Brak historii");
}

void TFrm::aZerujRaportExecute() {
    errorReport_->Clear();
    DeleteFileIfExists(App().errorReportPath);
}

void TFrm::aWydrukRaportuExecute() {
    if (openInEditor) {
        openInEditor(App().errorReportPath);
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(FromCp1250(App().errorReportPath)));
}

void TFrm::btnExitClick() {
    WriteWorkLog("***********  Koniec pracy - Exit");
    close();  // waits for this command to end
}

}  // namespace rubso
