#include "register/code_assignment.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

#include "core/app_state.h"
#include "core/codepage.h"
#include "core/operator.h"
#include "core/text_utils.h"
#include "db/goods_catalogue.h"
#include "register/register_exchange.h"

namespace rubso {
namespace {

constexpr int kGroupWidth = 3;
constexpr std::size_t kShortNameLength = 18;
// How long a code assignment waits for another workstation's writes to the
// goods table to end.
constexpr int kReservationTimeoutSeconds = 30;

struct GoodsRow {
    std::string asort;
    std::string grupa;
    double stawkaVat = 0.0;
    std::string nazwa;
    std::int64_t kodKasa = 0;
    std::string atest;
};

std::vector<GoodsRow> ReadGoods(fb::Attachment& attachment, fb::Transaction& transaction,
                                const SqlIdentifier& goodsTable) {
    fb::Statement select(
        attachment, "select asort, grupa, stawka_vat, nazwa, kod_kasa, atest from " + goodsTable +
                        " order by asort");
    std::vector<GoodsRow> goods;
    for (fb::ResultSet row = select.Open(transaction); !row.Eof(); row.Next()) {
        goods.push_back({row.AsString(0), row.AsString(1), row.AsDouble(2), row.AsString(3),
                         RegisterCodeOf(row.AsString(4)), row.AsString(5)});
    }
    return goods;
}

}  // namespace

std::set<std::string> GroupFilter(const std::vector<std::string>& tickedGroups) {
    std::set<std::string> groups;
    for (const std::string& entry : tickedGroups) {
        groups.insert(PadRight(Trim(TextBefore(" ", entry)), kGroupWidth));
    }
    return groups;
}

int AssignRegisterCodes(TDM& dm, const SqlIdentifier& goodsTable,
                        const std::set<std::string>& groups) {
    if (groups.empty()) return 0;
    const KodKasaKind kind = KodKasaKindOf(dm, goodsTable.Text());

    // The highest code is read and the new codes written with the goods
    // table reserved: a second workstation assigning codes at the same time
    // waits here until this one has committed, and then, reading committed
    // data, starts from the codes given here.
    fb::TransactionOptions reserved;
    reserved.readCommitted = true;
    reserved.protectedWrite = {UpperCase(goodsTable.Text())};
    reserved.lockTimeoutSeconds = kReservationTimeoutSeconds;
    fb::Transaction transaction(dm.IBBaza);
    try {
        transaction.Start(reserved);
    } catch (const fb::FbError& e) {
        if (!e.LockConflict()) throw;
        throw std::runtime_error(Cp1250(
            "Kartoteka towarów jest zajęta przez inne stanowisko. Spróbuj ponownie za chwilę."));
    }
    const std::vector<GoodsRow> goods = ReadGoods(dm.IBBaza, transaction, goodsTable);
    std::int64_t highest = 0;
    for (const GoodsRow& good : goods) highest = std::max(highest, good.kodKasa);

    fb::Statement setCode(dm.IBBaza,
                          "update " + goodsTable + " set kod_kasa = :kod where asort = :asort");
    fb::Statement setName(dm.IBBaza,
                          "update " + goodsTable + " set atest = :atest where asort = :asort");
    // The goods that get something, in table order.
    std::vector<const GoodsRow*> work;
    for (const GoodsRow& good : goods) {
        if (groups.count(PadRight(good.grupa, kGroupWidth)) == 0) continue;
        if (good.stawkaVat <= 0.0) continue;
        if (IsBlank(good.nazwa)) continue;
        if (good.kodKasa != 0 && !IsBlank(good.atest)) continue;  // nothing to do
        work.push_back(&good);
    }
    int changed = 0;
    BatchScope batch(Cp1250("Uzupełnianie pola KOD_KASA"), work.size());
    try {
        for (const GoodsRow* row : work) {
            const GoodsRow& good = *row;
            const bool needsCode = good.kodKasa == 0;
            const bool needsName = IsBlank(good.atest);
            if (needsCode) {
                setCode.SetString("kod", KodKasaValueText(kind, ++highest));
                setCode.SetString("asort", good.asort);
                setCode.Execute(transaction);
            }
            if (needsName) {
                setName.SetString("atest", good.nazwa.substr(0, kShortNameLength));
                setName.SetString("asort", good.asort);
                setName.Execute(transaction);
            }
            ++changed;
            // A stop keeps the goods changed so far, as a failure does.
            if (!batch.ItemDone(true)) break;
        }
    } catch (const fb::FbError&) {
        // The goods changed so far keep their codes, as rows posted one by
        // one would.
        try {
            transaction.Commit();
        } catch (const fb::FbError&) {
            transaction.RollbackIfActive();
        }
        throw;
    }
    transaction.Commit();
    if (!work.empty()) ShowBatchSummary("", Cp1250("Uzupełniono kody i nazwy"), batch.Outcome());
    return changed;
}

bool ZerujKodyKasy(TDM& dm, const SqlIdentifier& goodsTable, CodeResetValue value) {
    std::string stored = "null";
    if (value == CodeResetValue::Zero) {
        stored = KodKasaKindOf(dm, goodsTable.Text()) == KodKasaKind::Text
                     ? "'" + KodKasaValueText(KodKasaKind::Text, 0) + "'"
                     : std::string("0");
    }
    return dm.RunSQL("update " + goodsTable + " set kod_kasa=" + stored);
}

int TfmE::aInitKodKasaE(const std::vector<std::string>& tickedGroups) {
    BusyCursorScope cursor;
    return AssignRegisterCodes(DM(), GoodsTableIdentifier(), GroupFilter(tickedGroups));
}

}  // namespace rubso
