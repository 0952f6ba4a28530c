#include "tests/register/exchange_db_test_support.h"

#include "core/app_state.h"
#include "db/schema_upgrade.h"
#include "register/current_register.h"

namespace rubso::test {

ExchangeDbTest::ExchangeDbTest(fixture::KodKasaKind kind) : kind_(kind) {
    {
        fb::Attachment attachment;
        AttachAsTradingOwner(attachment);
        fixture::CreateTradingDatabase(attachment, {kExchangeYear, kind});
    }
    ConnectAsAdministrator();
    AdministratorCheck(dm_, true);
    SetDM(&dm_);
    SelectRegisterNo(1);
    e_.InitElzab();
    operator_->statuses.clear();
}

ExchangeDbTest::~ExchangeDbTest() {
    SetDM(nullptr);
}

void ExchangeDbTest::AddGoods(const std::vector<fixture::Good>& goods) {
    fb::Attachment attachment;
    db_.Attach(attachment);
    fixture::AddGoods(attachment, kExchangeYear, kind_, goods);
}

void ExchangeDbTest::SelectRegisterNo(int registerNo) {
    const int id = std::stoi(
        Scalar("select id from com_def where kod_kasa = '" + std::to_string(registerNo) + "'"));
    const std::optional<RegisterDefinition> definition = ReadRegisterDefinition(dm_, id);
    ASSERT_TRUE(definition.has_value());
    SelectRegister(*definition);
}

std::string ExchangeDbTest::StoredKodKasa(const std::string& asort) const {
    return Scalar("select coalesce(cast(kod_kasa as varchar(20)), '<null>') from " +
                  App().goodsTable + " where asort = '" + asort + "'");
}

std::int64_t ExchangeDbTest::KodKasaOf(const std::string& asort) const {
    return RegisterCodeOf(
        Scalar("select kod_kasa from " + App().goodsTable + " where asort = '" + asort + "'"));
}

std::string ExchangeDbTest::AtestOf(const std::string& asort) const {
    return Scalar("select coalesce(atest, '') from " + App().goodsTable + " where asort = '" +
                  asort + "'");
}

fixture::Good MakeGood(const std::string& asort, const std::string& nazwa, double cena,
                       std::optional<int> kodKasa, double stawkaVat, const std::string& jm,
                       const std::string& grupa) {
    fixture::Good good;
    good.asort = asort;
    good.nazwa = nazwa;
    good.cena1 = cena;
    good.cena2 = cena + 1.0;
    good.stawkaVat = stawkaVat;
    good.kodVat = std::to_string(static_cast<int>(stawkaVat));
    good.kodKasa = kodKasa;
    good.jm = jm;
    good.grupa = grupa;
    return good;
}

std::string KodKasaKindName(const ::testing::TestParamInfo<fixture::KodKasaKind>& param) {
    return param.param == fixture::KodKasaKind::Integer ? "Integer" : "Text";
}

}  // namespace rubso::test
