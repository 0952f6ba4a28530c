#include "dayend/reset_decision.h"

#include <algorithm>
#include <cstdint>

namespace rubso {
namespace {

bool SameLine(const ReceiptLine& a, const ReceiptLine& b) {
    return a.text == b.text;
}

}  // namespace

ResetDecision DecideReset(const std::vector<ReceiptLine>& read,
                          const std::vector<ReceiptLine>& now) {
    if (read.size() == now.size() && std::equal(read.begin(), read.end(), now.begin(), SameLine)) {
        return ResetDecision::kReset;
    }
    std::int64_t lastRead = 0;
    for (const ReceiptLine& line : read) lastRead = std::max(lastRead, line.receipt);
    const auto newer = [lastRead](const ReceiptLine& line) { return line.receipt > lastRead; };

    if (now.size() > read.size() && std::equal(read.begin(), read.end(), now.begin(), SameLine) &&
        std::all_of(now.begin() + static_cast<std::ptrdiff_t>(read.size()), now.end(), newer)) {
        return ResetDecision::kReadAgain;
    }
    if (!read.empty() && std::all_of(now.begin(), now.end(), newer)) {
        return ResetDecision::kAlreadyReset;
    }
    return ResetDecision::kRefuse;
}

}  // namespace rubso
