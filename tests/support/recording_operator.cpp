#include "tests/support/recording_operator.h"

namespace rubso::test {

void RecordingOperator::ShowStatus(const std::string& text, bool error) {
    statuses.push_back({text, error});
}

MessageAnswer RecordingOperator::Ask(const MessageBoxRequest& request) {
    messages.push_back(request);
    if (answers_.empty()) return request.preselected;
    const MessageAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
}

void RecordingOperator::SetBusyCursor(bool isBusy) {
    busy = isBusy;
    if (isBusy) ++busyCalls;
}

void RecordingOperator::AddSalesMemoLine(const std::string& line) {
    salesMemo.insert(salesMemo.begin(), line);
}

void RecordingOperator::StartBatch(const std::string& caption, std::size_t total) {
    batches.push_back(caption + " " + std::to_string(total));
    batchDone_ = 0;
}

void RecordingOperator::ShowBatchProgress(std::size_t done, std::size_t total, std::size_t failed) {
    progress.push_back(std::to_string(done) + "/" + std::to_string(total) + "/" +
                       std::to_string(failed));
    batchDone_ = done;
}

bool RecordingOperator::StopRequested() const {
    return batchDone_ >= stopAfterItems;
}

std::vector<std::string> RecordingOperator::MessageTexts() const {
    std::vector<std::string> texts;
    for (const auto& m : messages) texts.push_back(m.text);
    return texts;
}

}  // namespace rubso::test
