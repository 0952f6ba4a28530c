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

std::vector<std::string> RecordingOperator::MessageTexts() const {
    std::vector<std::string> texts;
    for (const auto& m : messages) texts.push_back(m.text);
    return texts;
}

}  // namespace rubso::test
