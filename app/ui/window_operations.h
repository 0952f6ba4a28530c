#pragma once
// What the main window asks the lower layers to do, one function per
// command. The window gathers its controls into plain values, calls one of
// these and shows what comes back; the operations reach the operator only
// through the operator seam (core/operator.h).
//
// The default implementation calls the real layers: the data module DM(),
// the register exchange controller TfmE, the transfer data module Tdmh and
// the report module Tdmu. Tests derive from it to replace single operations
// and watch the window's framing around them.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/goods_list.h"
#include "register/code_assignment.h"
#include "register/register_code_table.h"
#include "register/register_exchange.h"
#include "trading/transfer_settings.h"

namespace rubso {

class Tdmh;

class WindowOperations {
  public:
    WindowOperations();
    virtual ~WindowOperations();
    WindowOperations(const WindowOperations&) = delete;
    WindowOperations& operator=(const WindowOperations&) = delete;

    // --- Start and close -------------------------------------------------------
    // The registers of COM_DEF, in id order.
    virtual std::vector<RegisterListRow> Registers();
    // Makes the register of that COM_DEF id the current one (definition,
    // number, directory, settings section); an id without a row, or -1,
    // leaves no register current.
    virtual void SelectRegister(int id);
    // Creates the register exchange controller and prepares its files
    // (InitElzab). `onCaption` receives the window title while a modem
    // session is open.
    virtual void InitExchange(std::function<void(const std::string&)> onCaption);
    // The main window's schema pass.
    virtual void RunSchemaPass();
    // The stored goods list choice ("FW", default 1).
    virtual int ReadListChoice();
    // Closing: when connected, stores the goods list choice as "FW" and
    // disconnects. Nothing is written without a connection.
    virtual void StoreListChoiceAndDisconnect(int choice);
    // The transfer data module; created by the program's main block after a
    // successful login. Without one a transfer is refused.
    void SetTdmh(Tdmh* tdmh);
    // Rolls back the transfers that a killed run left unfinished in the
    // trading program's tables (after the transfer settings are read).
    virtual void RecoverInterruptedTransfers();

    // --- Sales ------------------------------------------------------------------
    virtual void ReadSales();      // "Odczyt"
    virtual void ResetCounters();  // "Zerowanie liczników sprzedaży"
    // Transfers the sales-read file (full path) to the trading program with
    // the current register's transfer settings; a document written is then
    // checked against the register's receipts (CheckTransferInWindow).
    virtual void TransferSalesRead(const std::string& file);

    // --- Goods ------------------------------------------------------------------
    // Sends the marked goods; `marked` keeps those not sent (see TfmE).
    virtual void ExportGoods(std::vector<std::string>& marked, ExportChoice choice);
    // "Uzupełnienie pola KOD_KASA" for the ticked group entries.
    virtual void AssignRegisterCodes(const std::vector<std::string>& tickedGroups);
    // Zero (0) or NULL into every register code of the goods table; true
    // when done (a failure is logged and shown by the statement runner).
    virtual bool ResetRegisterCodes(CodeResetValue value);

    // --- The register's goods ----------------------------------------------------
    // The current register's code table (what the register is known to hold).
    virtual std::vector<RegisterCodeRow> RegisterCodes();
    // Deletes the codes; `selected` keeps the failed code and those after it.
    virtual void DeleteSelected(std::vector<std::int64_t>& selected);
    virtual void DeleteAll();
    // The register's goods list as the library wrote it; nullopt on failure.
    virtual std::optional<std::vector<std::string>> ReadRegisterGoods();

    // --- Parameters ---------------------------------------------------------------
    // The goods catalogue's column lists for the parameter pages.
    virtual CatalogueColumns ReadCatalogueColumns(const std::string& barKod);

    // --- Reports -----------------------------------------------------------------
    // The goods-file consistency test; writes the error report.
    virtual void GoodsFileTest();

  protected:
    TfmE& Exchange();

  private:
    std::unique_ptr<TfmE> exchange_;
    Tdmh* tdmh_ = nullptr;
};

}  // namespace rubso
