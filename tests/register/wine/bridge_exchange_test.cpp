// A shop's whole exchange run twice against a throw-away database: with the
// substitute register library in-process, and through the bridge under Wine
// with the same library built for Windows. After every step both program
// directories hold the same files byte for byte (input files, the register's
// memory, output files, the sales-read file, the error report), the code
// table the same rows, and the operator has seen the same messages.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "register/current_register.h"
#include "register/register_code_table.h"
#include "tests/register/exchange_db_test_support.h"
#include "tests/register/wine/wine_test_support.h"

namespace rubso {
namespace {

using test::MakeGood;
using test::ProgramDir;
using test::RecordingOperator;
namespace fs = std::filesystem;

struct Step {
    const char* name;
    std::function<void(TfmE&, ProgramDir&)> run;
};

// What a step left behind.
struct Picture {
    // By path under the program directory. The code table is compared by
    // its rows: its header holds a byte that differs from one writing to
    // the next, whichever library runs.
    std::map<std::string, std::string> files;
    std::vector<RegisterCodeRow> codeTable;
    std::vector<RecordingOperator::Status> statuses;
    std::vector<std::string> salesMemo;
};

const std::vector<Step> kDay = {
    {"Export",
     [](TfmE& e, ProgramDir&) {
         std::vector<std::string> marked = {"MLEKO", "CHLEB", "WODA"};
         e.aExpoTowarExecute(marked, {true, false});
     }},
    {"PriceChange",
     [](TfmE& e, ProgramDir&) {
         std::vector<std::string> marked = {"MLEKO"};
         e.aExpoTowarExecute(marked, {false, false});
     }},
    {"Deletion",
     [](TfmE& e, ProgramDir&) {
         std::vector<std::int64_t> selected = {14};
         e.aKasujTowarExecute(selected);
     }},
    {"DeletionTheRegisterRefuses",
     [](TfmE& e, ProgramDir&) {
         std::vector<std::int64_t> selected = {99};
         e.aKasujTowarExecute(selected);
     }},
    {"GoodsList", [](TfmE& e, ProgramDir&) { e.WczytajTowary(); }},
    {"SalesRead",
     [](TfmE& e, ProgramDir& dir) {
         ASSERT_EQ(0, dir.Tool({"sell", "1", "12", "2", "13", "0.5"})) << dir.ToolOutput();
         ASSERT_EQ(0, dir.Tool({"sell", "1", "12", "1", "--discount=20"})) << dir.ToolOutput();
         e.ElzabSprz();
     }},
    {"CounterReset", [](TfmE& e, ProgramDir&) { e.aZerujLicznikiExecute(); }},
    {"DeletionOfAll", [](TfmE& e, ProgramDir&) { e.aKasujWszystkieTowaryExecute(); }},
};

// The files of `expected` and `actual`: each missing, extra or different one
// is a failure naming the file and the first byte that differs.
void ExpectSameFiles(const std::map<std::string, std::string>& expected,
                     const std::map<std::string, std::string>& actual) {
    std::map<std::string, std::string> all = expected;
    all.insert(actual.begin(), actual.end());
    for (const auto& [name, bytes] : all) {
        const auto a = expected.find(name);
        const auto b = actual.find(name);
        if (a == expected.end() || b == actual.end()) {
            ADD_FAILURE() << name
                          << (a == expected.end() ? " only through Wine" : " only in-process");
        } else if (a->second != b->second) {
            const auto first = std::mismatch(a->second.begin(), a->second.end(), b->second.begin(),
                                             b->second.end());
            ADD_FAILURE() << name << " differs from byte " << (first.first - a->second.begin());
        }
    }
}

class WholeExchange : public test::ExchangeDbTest {
  protected:
    std::vector<Picture> RunDay(TfmE& e, ProgramDir& dir) {
        std::vector<Picture> pictures;
        for (const Step& step : kDay) {
            operator_->statuses.clear();
            operator_->salesMemo.clear();
            step.run(e, dir);
            Picture picture{{},
                            RegisterCodeTable(CurrentKodyPath()).Rows(),
                            operator_->statuses,
                            operator_->salesMemo};
            for (const auto& entry : fs::recursive_directory_iterator(dir.Path())) {
                if (!entry.is_regular_file() || entry.path() == CurrentKodyPath()) continue;
                picture.files[fs::relative(entry.path(), dir.Path()).string()] =
                    test::ReadBytes(entry.path().string());
            }
            pictures.push_back(std::move(picture));
        }
        return pictures;
    }
};

TEST_F(WholeExchange, ThroughWineLeavesTheFilesAndMessagesOfTheInProcessLibrary) {
    AddGoods({MakeGood("MLEKO", "Mleko", 2.49, 12, 8.0), MakeGood("CHLEB", "Chleb", 3.99, 13, 5.0),
              MakeGood("WODA", "Woda", 1.99, 14)});
    const std::vector<Picture> inProcess = RunDay(e_, dir_);

    ProgramDir second;  // the working directory and the program's state move there
    SelectRegisterNo(1);
    TfmE bridged(test::WineSource(RUBSO_WINDOWS_WINIP_DIR));
    bridged.InitElzab();
    ASSERT_TRUE(bridged.Library().ThroughWine()) << bridged.Library().LastError();
    const std::vector<Picture> throughWine = RunDay(bridged, second);

    ASSERT_EQ(inProcess.size(), throughWine.size());
    for (std::size_t i = 0; i < kDay.size(); ++i) {
        SCOPED_TRACE(kDay[i].name);
        ExpectSameFiles(inProcess[i].files, throughWine[i].files);
        EXPECT_EQ(inProcess[i].codeTable, throughWine[i].codeTable);
        EXPECT_EQ(inProcess[i].statuses, throughWine[i].statuses);
        EXPECT_EQ(inProcess[i].salesMemo, throughWine[i].salesMemo);
    }
    // The day did what a day does: the reading steps left their files.
    EXPECT_EQ(1u, throughWine.back().files.count("Dane/20260316/Kasa01/20260316_1.txt"));
    EXPECT_EQ(1u, throughWine.back().files.count("sim/kasa01/state.txt"));
}

}  // namespace
}  // namespace rubso
