#pragma once
// Tdmu: the goods-file consistency report. Registers need names unique in
// their first 24 characters, unique bar codes and unique register codes; the
// report lists the goods of the catalogue (App().goodsTable in the shared
// database) that break this.

#include <string>
#include <utility>
#include <vector>

namespace rubso {

class TDM;

// One good as a duplicate section lists it.
struct DuplicateGood {
    std::string asort;
    std::string nazwa;
    std::string value;  // the bar code or register code as text (unused for names)
};

// The detail lines of the three sections, without title and end line.
std::string NameDetailLine(const DuplicateGood& good);
std::string BarcodeDetailLine(const DuplicateGood& good);
std::string RegisterCodeDetailLine(const DuplicateGood& good);

// The goods-file test's report: dataDir + "Error.txt".
std::string ConsistencyReportPath(const std::string& dataDir);

class Tdmu {
  public:
    // `dm` must outlive the object. The report is written to `reportPath`
    // (ConsistencyReportPath in the program) and nowhere else.
    Tdmu(TDM& dm, std::string reportPath) : dm_(dm), reportPath_(std::move(reportPath)) {}

    const std::string& ReportPath() const { return reportPath_; }

    // Writes the report file anew: "Raport " + date and time, then one
    // section per kind of duplicate that exists (title, a detail line per
    // good, a line of 22 hyphens):
    // - names equal in their first 24 characters;
    // - bar codes, in the column named by "BarKod" (kod_ean when it is blank);
    // - register codes, where null and 0 mean "no code" and form no group.
    // Goods without a name or bar code (null) form one group, which lists the
    // goods whose name or bar code is an empty text. Groups come in the order
    // of their value, goods in a group by symbol. Shows the busy cursor while
    // it runs. A bar-code setting that names no column raises
    // InvalidIdentifierError before the file is touched; a failing query
    // raises fb::FbError, and the file then holds the lines written so far.
    void ConsistencyReport();

  private:
    TDM& dm_;
    std::string reportPath_;
};

}  // namespace rubso
