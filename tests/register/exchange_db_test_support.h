#pragma once
// ExchangeDbTest: the exchange operations against a throw-away database
// holding the trading program's side (its goods table with KOD_KASA in the
// form the test asks for) and the system's own schema as its upgrade makes
// it (five default registers), TDM connected as the administrator and the
// register with KOD_KASA 1 selected.

#include <optional>
#include <string>
#include <vector>

#include "fixture/trading_database.h"
#include "tests/db/tdm_test_base.h"
#include "tests/register/exchange_test_support.h"

namespace rubso::test {

class ExchangeDbTest : public TdmTestBase {
  protected:
    explicit ExchangeDbTest(fixture::KodKasaKind kind = fixture::KodKasaKind::Integer);
    ~ExchangeDbTest() override;

    void AddGoods(const std::vector<fixture::Good>& goods);
    // Selects the COM_DEF row whose KOD_KASA is `registerNo`.
    void SelectRegisterNo(int registerNo);
    // KOD_KASA of a good as stored ("<null>" for NULL), and as a number.
    std::string StoredKodKasa(const std::string& asort) const;
    std::int64_t KodKasaOf(const std::string& asort) const;
    std::string AtestOf(const std::string& asort) const;

    fixture::KodKasaKind kind_;
    ScopedFixedClock clock_{kExchangeNow};
    ProgramDir dir_;
    TfmE e_{RUBSO_WINIP_DIR};
};

// A good of the trading fixture with the fields the exchange reads.
fixture::Good MakeGood(const std::string& asort, const std::string& nazwa, double cena,
                       std::optional<int> kodKasa, double stawkaVat = 23.0,
                       const std::string& jm = "020", const std::string& grupa = "SPO");

// "Integer" or "Text": the names of the parameterised cases.
std::string KodKasaKindName(const ::testing::TestParamInfo<fixture::KodKasaKind>& param);

}  // namespace rubso::test
