#pragma once
// The seam between operations and the screen. Operations never include a
// window: they talk to the operator through this interface, which the main
// window implements and tests replace with a recorder. All texts are bytes
// in the program's code page (see codepage.h).

#include <cstddef>
#include <string>

namespace rubso {

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct MessageBoxRequest {
    std::string text;
    std::string title;  // empty: the application's title
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    MessageAnswer preselected = MessageAnswer::Ok;
};

class Operator {
  public:
    virtual ~Operator() = default;

    // The one-line message field: shows `text` (red when `error`), empty
    // clears it. Must be visible before the caller goes on with long work.
    virtual void ShowStatus(const std::string& text, bool error) = 0;

    // A modal message box; returns the button the operator pressed.
    virtual MessageAnswer Ask(const MessageBoxRequest& request) = 0;

    // Busy (database-wait) or normal cursor.
    virtual void SetBusyCursor(bool busy) = 0;

    // Lets the window repaint between records of a batch.
    virtual void ProcessPendingMessages() = 0;

    // Adds a line on top of the sales memo (the newest line is on top).
    virtual void AddSalesMemoLine(const std::string& line) = 0;
    virtual void ClearSalesMemo() = 0;

    // --- Batches: commands that work through a list, one item at a time ------
    // While a batch runs the operator sees its progress ("n z N", a bar) and
    // may ask it to stop after the current item. StartBatch clears an earlier
    // stop request; EndBatch hides the progress. Use BatchScope rather than
    // calling these directly. The defaults show nothing and never stop.
    virtual void StartBatch(const std::string& caption, std::size_t total);
    // `done` of `total` items are finished, `failed` of them failed.
    virtual void ShowBatchProgress(std::size_t done, std::size_t total, std::size_t failed);
    // True once the operator asked the running batch to stop.
    virtual bool StopRequested() const;
    virtual void EndBatch();
};

// An operator that shows nothing and answers every question with the
// preselected button. Used when no window exists (tools, benchmarks).
class SilentOperator : public Operator {
  public:
    void ShowStatus(const std::string&, bool) override {}
    MessageAnswer Ask(const MessageBoxRequest& request) override { return request.preselected; }
    void SetBusyCursor(bool) override {}
    void ProcessPendingMessages() override {}
    void AddSalesMemoLine(const std::string&) override {}
    void ClearSalesMemo() override {}
};

// The process-wide operator. Never null: a SilentOperator until one is set.
// The caller keeps ownership of `op` and resets it (nullptr) before `op` dies.
void SetOperator(Operator* op);
Operator& CurrentOperator();

// Shows `text` in the message field (red when `error`) and, when the text is
// not empty, writes it to the work log.
void Komunikat(const std::string& text, bool error = false);

// A plain message box with an OK button (validation problems).
void ShowMessage(const std::string& text);

// The standard error box (exceptions, statement failures).
void ShowErrorMessage(const std::string& text);

// Busy cursor shown at once; NormalCursor restores it. Both let the window
// repaint. Prefer BusyCursorScope, which restores on every exit path.
void BusyCursor();
void NormalCursor();

// How a batch ended.
struct BatchOutcome {
    std::size_t total = 0;
    std::size_t done = 0;    // items finished, successfully or not
    std::size_t failed = 0;  // of those, the ones that failed
    bool stopped = false;    // the operator asked to stop
    // Every item was done and none failed.
    bool Succeeded() const { return failed == 0 && done == total; }
};

// The closing line of a batch for the message field: `lead` (such as
// "[ZTowar] ") and `verb` (a past form such as "Wysłano") with the count of
// goods that succeeded out of all, the failures and whether the operator
// stopped it, e.g. "[ZTowar] Wysłano 247 z 249 towarów, błędy: 2 — szczegóły
// w Raporcie o błędach". Shown as an error unless outcome.Succeeded().
void ShowBatchSummary(const std::string& lead, const std::string& verb,
                      const BatchOutcome& outcome);
std::string BatchSummaryText(const std::string& lead, const std::string& verb,
                             const BatchOutcome& outcome);

// One batch on the current operator, for an operation's loop:
//
//     BatchScope batch(Cp1250("Eksport towarów"), items.size());
//     for (const Item& item : items) {
//         bool ok = Send(item);
//         if (!batch.ItemDone(ok)) break;  // the operator asked to stop
//     }
//     ShowBatchSummary("[op] ", Cp1250("Wysłano"), batch.Outcome());
//
// ItemDone counts the item, shows the progress, lets the window repaint and
// then asks for a stop request, so a stop always comes after a whole item.
// The destructor ends the batch on every exit path.
class BatchScope {
  public:
    BatchScope(const std::string& caption, std::size_t total);
    ~BatchScope();
    BatchScope(const BatchScope&) = delete;
    BatchScope& operator=(const BatchScope&) = delete;

    // True: go on with the next item.
    bool ItemDone(bool succeeded);
    // The items counted so far; `stopped` once a stop request was seen.
    const BatchOutcome& Outcome() const { return outcome_; }

  private:
    BatchOutcome outcome_;
};

class BusyCursorScope {
  public:
    BusyCursorScope() { BusyCursor(); }
    ~BusyCursorScope() { NormalCursor(); }
    BusyCursorScope(const BusyCursorScope&) = delete;
    BusyCursorScope& operator=(const BusyCursorScope&) = delete;
};

}  // namespace rubso
