// When the end of day may reset a register: the receipt lines kept with the
// read against those the register holds just before the reset.

#include <gtest/gtest.h>

#include "dayend/reset_decision.h"

namespace rubso {
namespace {

// Receipt lines by receipt number; the text tells lines apart.
std::vector<ReceiptLine> Lines(std::initializer_list<std::pair<int, const char*>> lines) {
    std::vector<ReceiptLine> result;
    for (const auto& [receipt, text] : lines) {
        ReceiptLine line;
        line.receipt = receipt;
        line.text = std::to_string(receipt) + "\t" + text;
        result.push_back(line);
    }
    return result;
}

struct Case {
    const char* name;
    std::vector<ReceiptLine> read;
    std::vector<ReceiptLine> now;
    ResetDecision expected;
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

class ResetDecisionTest : public ::testing::TestWithParam<Case> {};

TEST_P(ResetDecisionTest, ResetsOnlyWhatWasRead) {
    EXPECT_EQ(GetParam().expected, DecideReset(GetParam().read, GetParam().now));
}

INSTANTIATE_TEST_SUITE_P(
    Receipts, ResetDecisionTest,
    ::testing::Values(
        Case{"Unchanged", Lines({{1, "a"}, {2, "b"}}), Lines({{1, "a"}, {2, "b"}}),
             ResetDecision::kReset},
        Case{"NothingReadNothingNow", {}, {}, ResetDecision::kReset},
        Case{"NewerReceiptsSinceTheRead", Lines({{1, "a"}}), Lines({{1, "a"}, {2, "b"}}),
             ResetDecision::kReadAgain},
        Case{"SalesSinceAnEmptyRead", {}, Lines({{4, "a"}}), ResetDecision::kReadAgain},
        Case{"ResetAfterTheRead", Lines({{1, "a"}, {2, "b"}}), {}, ResetDecision::kAlreadyReset},
        Case{"ResetAndSoldAgain", Lines({{1, "a"}}), Lines({{2, "b"}}),
             ResetDecision::kAlreadyReset},
        Case{"ALineReadIsMissing", Lines({{1, "a"}, {2, "b"}}), Lines({{2, "b"}}),
             ResetDecision::kRefuse},
        Case{"ALineReadChanged", Lines({{1, "a"}}), Lines({{1, "c"}}), ResetDecision::kRefuse},
        Case{"AnOlderLineAppeared", Lines({{3, "a"}}), Lines({{3, "a"}, {2, "b"}}),
             ResetDecision::kRefuse}),
    [](const ::testing::TestParamInfo<Case>& c) { return std::string(c.param.name); });

}  // namespace
}  // namespace rubso
