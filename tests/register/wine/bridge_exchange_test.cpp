// A shop's whole exchange run twice against a throw-away database: with the
// substitute register library in-process, and through the bridge under Wine
// with the same library built for Windows. After every step both program
// directories hold the same files byte for byte (input files, the register's
// memory, output files, the sales-read file, the error report), the code
// table the same rows, and the operator has seen the same messages.

#include <gtest/gtest.h>

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

void Export(TfmE& e, std::vector<std::string> marked, bool fullData) {
    e.aExpoTowarExecute(marked, {fullData, false});
}
void Delete(TfmE& e, std::vector<std::int64_t> codes) {
    e.aKasujTowarExecute(codes);
}

const std::vector<Step> kDay = {
    {"Export",
     [](TfmE& e, ProgramDir&) {
         Export(e, {"MLEKO", "CHLEB", "WODA"}, true);
     }},
    {"PriceChange", [](TfmE& e, ProgramDir&) { Export(e, {"MLEKO"}, false); }},
    {"Deletion", [](TfmE& e, ProgramDir&) { Delete(e, {14}); }},
    {"DeletionTheRegisterRefuses", [](TfmE& e, ProgramDir&) { Delete(e, {99}); }},
    {"GoodsList", [](TfmE& e, ProgramDir&) { e.WczytajTowary(); }},
    {"SalesRead",
     [](TfmE& e, ProgramDir& dir) {
         dir.Tool({"sell", "1", "12", "2", "13", "0.5"});
         dir.Tool({"sell", "1", "12", "1", "--discount=20"});
         e.ElzabSprz();
     }},
    {"CounterReset", [](TfmE& e, ProgramDir&) { e.aZerujLicznikiExecute(); }},
    {"DeletionOfAll", [](TfmE& e, ProgramDir&) { e.aKasujWszystkieTowaryExecute(); }},
};

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
        EXPECT_EQ(inProcess[i].files, throughWine[i].files);
        EXPECT_EQ(inProcess[i].codeTable, throughWine[i].codeTable);
        EXPECT_EQ(inProcess[i].statuses, throughWine[i].statuses);
        EXPECT_EQ(inProcess[i].salesMemo, throughWine[i].salesMemo);
    }
    // The day did what a day does: the sales read left its file.
    EXPECT_EQ(1u, throughWine.back().files.count("Dane/20260316/Kasa01/20260316_1.txt"));
}

}  // namespace
}  // namespace rubso
