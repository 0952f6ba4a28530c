#pragma once
// The seam between operations and the screen. Operations never include a
// window: they talk to the operator through this interface, which the main
// window implements and tests replace with a recorder. All texts are bytes
// in the program's code page (see codepage.h).

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

class BusyCursorScope {
public:
    BusyCursorScope() { BusyCursor(); }
    ~BusyCursorScope() { NormalCursor(); }
    BusyCursorScope(const BusyCursorScope&) = delete;
    BusyCursorScope& operator=(const BusyCursorScope&) = delete;
};

}  // namespace rubso
