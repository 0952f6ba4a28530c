#pragma once
// A goods list source that answers from memory and remembers what it was
// asked, for the window tests.

#include <QDate>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/ui/goods_list_source.h"

namespace rubso::test {

class FakeGoodsSource : public GoodsListSource {
  public:
    std::vector<GoodsListRow> goods;
    std::vector<GoodsGroup> groups;
    std::vector<QDate> dates;
    int letterStandard = 0;
    bool failGoods = false;

    std::vector<GoodsListFilter> goodsRequests;
    int groupRequests = 0;
    int dateRequests = 0;

    std::vector<GoodsListRow> Goods(const GoodsListFilter& filter) override {
        goodsRequests.push_back(filter);
        if (failGoods) throw std::runtime_error("Brak kartoteki towarow");
        std::vector<GoodsListRow> rows;
        for (const GoodsListRow& row : goods) {
            if (filter.withoutRegisterCode && row.kodKasa.value_or(0) != 0) continue;
            rows.push_back(row);
        }
        return rows;
    }
    std::vector<GoodsGroup> Groups() override {
        ++groupRequests;
        return groups;
    }
    std::vector<QDate> PriceChangeDates() override {
        ++dateRequests;
        return dates;
    }
    int LetterStandardIndex() const override { return letterStandard; }

    static GoodsListRow Good(std::string asort, std::string nazwa, std::string grupa = "",
                             std::optional<std::int64_t> kod = std::nullopt) {
        GoodsListRow row;
        row.asort = std::move(asort);
        row.nazwa = std::move(nazwa);
        row.cena = 1.0;
        row.stawkaVat = 23.0;
        row.kodKasa = kod;
        row.grupa = std::move(grupa);
        return row;
    }
};

}  // namespace rubso::test
