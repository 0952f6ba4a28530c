#pragma once
// An operator that records what operations show and answers questions from a
// queue, so an operation runs headless in a test. Install it with
// ScopedRecordingOperator, which restores the previous operator.

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "core/operator.h"

namespace rubso::test {

class RecordingOperator : public Operator {
  public:
    struct Status {
        std::string text;
        bool error = false;
        bool operator==(const Status&) const = default;
    };

    void ShowStatus(const std::string& text, bool error) override;
    MessageAnswer Ask(const MessageBoxRequest& request) override;
    void SetBusyCursor(bool busy) override;
    void ProcessPendingMessages() override { ++pendingMessageCalls; }
    void AddSalesMemoLine(const std::string& line) override;
    void ClearSalesMemo() override { salesMemo.clear(); }
    void StartBatch(const std::string& caption, std::size_t total) override;
    void ShowBatchProgress(std::size_t done, std::size_t total, std::size_t failed) override;
    bool StopRequested() const override;
    void EndBatch() override { ++batchesEnded; }

    // The answer to the next question; without one the preselected button.
    void SetNextAnswer(MessageAnswer answer) { answers_.push_back(answer); }

    // The current text of the message field and everything it showed.
    std::string StatusText() const {
        return statuses.empty() ? std::string() : statuses.back().text;
    }
    bool StatusIsError() const { return !statuses.empty() && statuses.back().error; }
    // The texts of every message box, in order.
    std::vector<std::string> MessageTexts() const;

    std::vector<Status> statuses;
    std::vector<MessageBoxRequest> messages;
    std::vector<std::string> salesMemo;  // newest first, as on screen
    // Batches: their captions, every progress step as "done/total/failed",
    // and the operator's stop request once `stopAfterItems` items are done.
    std::vector<std::string> batches;
    std::vector<std::string> progress;
    int batchesEnded = 0;
    std::size_t stopAfterItems = SIZE_MAX;
    bool busy = false;
    int busyCalls = 0;
    int pendingMessageCalls = 0;

  private:
    std::deque<MessageAnswer> answers_;
    std::size_t batchDone_ = 0;
};

class ScopedRecordingOperator {
  public:
    ScopedRecordingOperator() { SetOperator(&recorder_); }
    ~ScopedRecordingOperator() { SetOperator(nullptr); }
    ScopedRecordingOperator(const ScopedRecordingOperator&) = delete;
    ScopedRecordingOperator& operator=(const ScopedRecordingOperator&) = delete;
    RecordingOperator* operator->() { return &recorder_; }
    RecordingOperator& operator*() { return recorder_; }

  private:
    RecordingOperator recorder_;
};

}  // namespace rubso::test
