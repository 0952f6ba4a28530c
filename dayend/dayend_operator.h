#pragma once
// The operator of a run without a window: nobody sees the message field or
// answers a question, so whatever an operation would have shown is kept as
// the reason of the step that failed. Questions get their preselected
// answer. Messages still reach the work log the usual way (Komunikat).

#include <string>

#include "core/operator.h"

namespace rubso {

class DayEndOperator : public Operator {
  public:
    void ShowStatus(const std::string& text, bool error) override {
        if (error && !text.empty()) Note(text);
    }
    MessageAnswer Ask(const MessageBoxRequest& request) override {
        Note(request.text);
        return request.preselected;
    }
    void SetBusyCursor(bool) override {}
    void ProcessPendingMessages() override {}
    void AddSalesMemoLine(const std::string& line) override { lastMemoLine_ = line; }
    void ClearSalesMemo() override {}

    // Forgets what was shown: call before each step.
    void Clear() {
        shown_.clear();
        lastMemoLine_.clear();
    }
    // The errors and questions since Clear, joined with "; "; empty when none.
    const std::string& Shown() const { return shown_; }
    // The newest line an operation put in the sales memo.
    const std::string& LastMemoLine() const { return lastMemoLine_; }

  private:
    void Note(const std::string& text) {
        if (!shown_.empty()) shown_ += "; ";
        shown_ += text;
    }

    std::string shown_;
    std::string lastMemoLine_;
};

// Sets the process-wide operator for a scope.
class ScopedOperator {
  public:
    explicit ScopedOperator(Operator& op) { SetOperator(&op); }
    ~ScopedOperator() { SetOperator(nullptr); }
    ScopedOperator(const ScopedOperator&) = delete;
    ScopedOperator& operator=(const ScopedOperator&) = delete;
};

}  // namespace rubso
