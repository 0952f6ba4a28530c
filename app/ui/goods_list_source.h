#pragma once
// Where the goods grid gets its lists from. The window asks; the database
// source answers from the shared database, and tests answer from memory.

#include <QDate>
#include <vector>

#include "db/goods_list.h"

namespace rubso {

class GoodsListSource {
  public:
    virtual ~GoodsListSource() = default;
    // The goods of the current goods table with the current register's price.
    virtual std::vector<GoodsListRow> Goods(const GoodsListFilter& filter) = 0;
    virtual std::vector<GoodsGroup> Groups() = 0;
    // Newest first, at most five.
    virtual std::vector<QDate> PriceChangeDates() = 0;
    // The row of the Polish-letter table the names are stored in (0: none).
    virtual int LetterStandardIndex() const = 0;
};

// The shared database through DM(): App().goodsTable, App().groupsTable, the
// current register's price column (CurrentPriceColumn) and
// App().letterStandardIndex, read at each call. Long fetches let the window
// repaint. Failures raise (fb::FbError) for the command's handler.
class DatabaseGoodsListSource : public GoodsListSource {
  public:
    std::vector<GoodsListRow> Goods(const GoodsListFilter& filter) override;
    std::vector<GoodsGroup> Groups() override;
    std::vector<QDate> PriceChangeDates() override;
    int LetterStandardIndex() const override;
};

}  // namespace rubso
