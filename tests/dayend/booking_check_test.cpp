// The booked document against the register's receipts and the totals read:
// which disagreement is reported, and how.

#include <gtest/gtest.h>

#include "core/codepage.h"
#include "dayend/booking_check.h"

namespace rubso {
namespace {

ReceiptLine Rung(std::int64_t code, std::int64_t quantity, std::int64_t value) {
    ReceiptLine line;
    line.code = code;
    line.codeText = "0000" + std::to_string(code);
    line.name = "Towar";
    line.quantity = quantity;
    line.value = value;
    return line;
}

// Milk (code 1, 5 %) twice for 6.98 and water (code 3, 23 %) once for 1.99:
// what the register rang up, what was read, and the document booked.
struct Day {
    std::vector<ReceiptLine> receipts = {Rung(1, 2000, 698), Rung(3, 1000, 199)};
    std::vector<SalesReadEntry> read = {{"00001", 1, "A-001", 2000, 698},
                                        {"00003", 3, "A-003", 1000, 199}};
    BookedDocument document{{{"A-001", 2, 6.98, 5}, {"A-003", 1, 1.99, 23}},
                            true,
                            8.97,
                            {{5, 6.98}, {8, 0}, {23, 1.99}}};
};

struct Case {
    const char* name;
    void (*change)(Day&);
    std::vector<std::string> differences;  // UTF-8
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

class BookingCheckTest : public ::testing::TestWithParam<Case> {};

TEST_P(BookingCheckTest, ReportsWhatDisagrees) {
    Day day;
    GetParam().change(day);
    std::vector<std::string> shown;
    for (const std::string& line : CheckBooking(day.receipts, day.read, day.document).differences) {
        shown.push_back(Cp1250ToUtf8(line));
    }
    EXPECT_EQ(GetParam().differences, shown);
}

INSTANTIATE_TEST_SUITE_P(
    Days, BookingCheckTest,
    ::testing::Values(
        Case{"AllAgree", [](Day&) {}, {}},
        Case{"ACancelledLineCountsNowhere",
             [](Day& d) {
                 d.receipts.push_back(Rung(3, 1000, 199));
                 d.receipts.back().cancelled = true;
             },
             {}},
        Case{"ADocumentLineLost",
             [](Day& d) { d.document.lines.pop_back(); },
             {"Towar A-003: odczyt ilość 1, 1.99 zł, dokument brak",
              "Stawka 23%: paragony 0.00 zł, dokument 0.00 zł, rejestr sprzedaży 1.99 zł",
              "Bez stawki (towary spoza dokumentu): paragony 1.99 zł",
              "Razem: paragony 8.97 zł, dokument 6.98 zł, rejestr sprzedaży 8.97 zł"}},
        Case{"TheRegisterRowDisagreesAtOneRate",
             [](Day& d) { d.document.registerGrossByRate[5] = 6.00; },
             {"Stawka 5%: paragony 6.98 zł, dokument 6.98 zł, rejestr sprzedaży 6.00 zł"}},
        Case{"SalesRungUpAfterTheRead",
             [](Day& d) { d.receipts.push_back(Rung(1, 1000, 349)); },
             {"Towar A-001 (kod 00001): paragony ilość 3, 10.47 zł, odczyt ilość 2, 6.98 zł",
              "Stawka 5%: paragony 10.47 zł, dokument 6.98 zł, rejestr sprzedaży 6.98 zł",
              "Razem: paragony 12.46 zł, dokument 8.97 zł, rejestr sprzedaży 8.97 zł"}}),
    [](const ::testing::TestParamInfo<Case>& c) { return std::string(c.param.name); });

}  // namespace
}  // namespace rubso
