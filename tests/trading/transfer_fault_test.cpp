// A transfer that replaces an earlier package, disturbed at every file write,
// fsync, truncation and removal it makes: a call that fails (once, or from
// then on) and a process killed there (also half-way through a write). After
// each, the tables hold exactly what they held before or, only when the
// transfer had committed, exactly what an undisturbed run leaves.

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <gmock/gmock.h>

#include "core/codepage.h"
#include "core/file_utils.h"
#include "db/desktop/desktop_io.h"
#include "db/desktop/desktop_journal.h"
#include "tests/trading/trading_tables_test_base.h"

extern "C" {
#include <paradox.h>
}

namespace rubso::test {
namespace {

using desktop_io::Call;
using desktop_io::Fault;

constexpr std::int32_t kPackage = 101090514;

// The three tables' bytes, and their records as pxlib reads them.
struct Files {
    std::vector<std::string> bytes;
    bool operator==(const Files&) const = default;
};

std::vector<std::string> PxlibRecords(const std::string& path) {
    std::vector<std::string> records;
    pxdoc_t* doc = PX_new();
    if (PX_open_file(doc, path.c_str()) != 0) {
        ADD_FAILURE() << "pxlib cannot open " << path;
    } else {
        std::string record(static_cast<std::size_t>(PX_get_recordsize(doc)), '\0');
        for (int i = 0; i < PX_get_num_records(doc); ++i) {
            if (PX_get_record(doc, i, record.data()) == nullptr) ADD_FAILURE() << path << " " << i;
            records.push_back(record);
        }
        PX_close(doc);
    }
    PX_delete(doc);
    return records;
}

class TransferFaultTest : public TradingTablesTest {
  protected:
    TransferFaultTest() {
        std::vector<fixture::StockCard> cards;
        std::vector<fixture::Movement> movements;
        for (int i = 0; i < 30; ++i) cards.push_back({"01", Symbol(i), 100, 10});
        for (int i = 0; i < 60; ++i) {
            movements.push_back({i % 3 == 0 ? 555 : kPackage, "01", Symbol(i % 30), 1, 2});
        }
        fixture::AddStockCards(paths_.kama, cards);
        fixture::AddMovements(paths_.maga, movements);
        fixture::AddRegisterRow(paths_.rejSprz, 555, "WZ/555", 9);
        fixture::AddRegisterRow(paths_.rejSprz, kPackage, "WZ/101090514", 40);
        std::vector<std::string> lines;
        for (int i = 0; i < 41; ++i) {
            lines.push_back("1;" + std::to_string(i) + ";" + Symbol(i % 36) +
                            ";2;24.60;20090514;1");
        }
        salesRead_ = SalesRead(lines);
        // Several checkpoints, so that the journal is written in batches.
        tdmh_.SetJournalHeldLimit(16 * 1024);
        before_ = Read();
        const std::vector<Call> calls = Run(nullptr);
        after_ = Read();
        calls_ = calls;
        Restore();
    }
    ~TransferFaultTest() override { desktop_io::SetFaultHook(nullptr); }

    static std::string Symbol(int i) { return "T" + std::to_string(i); }

    Files Read() const {
        return {{ReadBytes(paths_.maga), ReadBytes(paths_.kama), ReadBytes(paths_.rejSprz)}};
    }
    void Restore() const {
        WriteBytes(paths_.maga, before_.bytes[0]);
        WriteBytes(paths_.kama, before_.bytes[1]);
        WriteBytes(paths_.rejSprz, before_.bytes[2]);
    }
    // Runs the transfer with `fault` deciding each call by its number (from
    // 1); returns the calls made.
    std::vector<Call> Run(std::function<Fault(long)> fault, bool* ok = nullptr) {
        std::vector<Call> calls;
        desktop_io::SetFaultHook([&](Call call) {
            calls.push_back(call);
            return fault ? fault(static_cast<long>(calls.size())) : Fault::None;
        });
        const bool done = tdmh_.WZ2Hndl(salesRead_).ok;
        desktop_io::SetFaultHook(nullptr);
        if (ok != nullptr) *ok = done;
        return calls;
    }
    // What the next opening of the tables leaves.
    Files Reopened() {
        EXPECT_TRUE(tdmh_.OpenHandel("Kama,Maga,RejSprz"));
        tdmh_.CloseHandel("Kama,Maga,RejSprz");
        EXPECT_FALSE(FileExists(DesktopJournal::PathIn(tdmh_.MonthDirectory())));
        return Read();
    }

    std::string salesRead_;
    Files before_;
    Files after_;
    std::vector<Call> calls_;
};

struct FaultMode {
    const char* name;
    bool lasting;  // every call from the k-th on fails (the rollback's too)
};

class TransferFailingCallTest : public TransferFaultTest,
                                public ::testing::WithParamInterface<FaultMode> {};

TEST_P(TransferFailingCallTest, EveryFailingCallLeavesTheTablesAsBeforeAndARetryAsUndisturbed) {
    ASSERT_NE(before_, after_);
    ASSERT_GE(calls_.size(), 20u);
    const std::vector<std::vector<std::string>> pxlibBefore = {
        PxlibRecords(paths_.maga), PxlibRecords(paths_.kama), PxlibRecords(paths_.rejSprz)};
    for (long k = 1; k <= static_cast<long>(calls_.size()); ++k) {
        SCOPED_TRACE("call " + std::to_string(k));
        bool ok = false;
        Run(
            [&](long n) {
                return n == k || (GetParam().lasting && n > k) ? Fault::Fail : Fault::None;
            },
            &ok);
        // Only the directory's fsync after the journal's removal comes after
        // the commit.
        const bool committed = ok && k == static_cast<long>(calls_.size());
        ASSERT_EQ(committed, ok);
        ASSERT_EQ(committed ? after_ : before_, Reopened());
        if (!committed) {
            EXPECT_EQ(pxlibBefore, (std::vector<std::vector<std::string>>{
                                       PxlibRecords(paths_.maga), PxlibRecords(paths_.kama),
                                       PxlibRecords(paths_.rejSprz)}));
        }
        Restore();
        Run(nullptr, &ok);
        ASSERT_TRUE(ok);
        ASSERT_EQ(after_, Read());
        Restore();
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, TransferFailingCallTest,
                         ::testing::Values(FaultMode{"Once", false}, FaultMode{"FromThenOn", true}),
                         [](const auto& mode) { return std::string(mode.param.name); });

// The child process ends itself at the chosen call, so every kill point is
// the same on every run: before each call, half-way through each write, and
// inside the rollback that follows a failing call.
TEST_F(TransferFaultTest, AProcessKilledAnywhereLeavesTheTablesBeforeOrAfterAtTheNextOpening) {
    struct Point {
        std::string name;
        std::function<Fault(long)> fault;
    };
    std::vector<Point> points;
    for (long k = 1; k <= static_cast<long>(calls_.size()); ++k) {
        const std::string at = std::to_string(k);
        points.push_back(
            {"kill at " + at, [k](long n) { return n == k ? Fault::Crash : Fault::None; }});
        if (calls_[static_cast<std::size_t>(k - 1)] == Call::Write) {
            points.push_back({"kill mid-write " + at,
                              [k](long n) { return n == k ? Fault::CrashMidWrite : Fault::None; }});
        }
        if (k % 4 == 0) {
            points.push_back(
                {"fail " + at + ", kill in the rollback", [k](long n) {
                     return n == k ? Fault::Fail : n == k + 2 ? Fault::Crash : Fault::None;
                 }});
        }
    }
    ASSERT_GE(points.size(), 50u);
    int restored = 0;
    for (const Point& point : points) {
        SCOPED_TRACE(point.name);
        const pid_t child = fork();
        if (child == 0) {
            Run(point.fault);
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(child, waitpid(child, &status, 0));
        const Files reopened = Reopened();
        ASSERT_TRUE(reopened == before_ || reopened == after_);
        restored += reopened == before_ ? 1 : 0;
        Restore();
    }
    EXPECT_GT(restored, 0);
    EXPECT_LT(restored, static_cast<int>(points.size()));
}

TEST_F(TransferFaultTest, AKilledTransferIsRolledBackAtTheProgramsStartAndTheOperatorToldOnce) {
    const long k = static_cast<long>(calls_.size()) - 3;  // the tables are written, not committed
    const pid_t child = fork();
    if (child == 0) {
        Run([k](long n) { return n == k ? Fault::Crash : Fault::None; });
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    ASSERT_NE(before_, Read());
    tdmh_.RecoverInterruptedTransfers();
    EXPECT_EQ(before_, Reopened());
    const std::string told =
        Cp1250("Przywrócono tabele Maga.db, Kama.db, RejSprz.db w ") + tdmh_.MonthDirectory() +
        Cp1250(
            " do stanu sprzed przerwanego przesłania dokumentu WZ/101090514. Dokument nie "
            "został zapisany; prześlij odczyt sprzedaży ponownie.");
    EXPECT_EQ(std::vector<std::string>{told}, operator_->MessageTexts());
    EXPECT_THAT(LogEntries(), ::testing::Contains(told));
}

}  // namespace
}  // namespace rubso::test
