#include "app/ui/goods_list_source.h"

#include <stdexcept>

#include "core/app_state.h"
#include "core/codepage.h"
#include "core/operator.h"
#include "db/goods_catalogue.h"
#include "register/current_register.h"

namespace rubso {

std::vector<GoodsListRow> DatabaseGoodsListSource::Goods(const GoodsListFilter& filter) {
    const std::string& table = App().goodsTable;
    try {
        return FetchGoodsList(DM(), GoodsTableIdentifier(), CurrentPriceColumn(), filter,
                              [] { CurrentOperator().ProcessPendingMessages(); });
    } catch (const fb::FbError&) {
        // A working year whose goods table the trading program has not made
        // yet is the common case; say so instead of the server's text.
        if (!GoodsTableReachable(DM(), table)) {
            throw std::runtime_error(Cp1250("Brak kartoteki towarów " + table +
                                            " w bazie danych (rok pracy " +
                                            std::to_string(App().workYear) + ")"));
        }
        throw;
    }
}

std::vector<GoodsGroup> DatabaseGoodsListSource::Groups() {
    return FetchGoodsGroups(DM(), GroupsTableIdentifier());
}

std::vector<QDate> DatabaseGoodsListSource::PriceChangeDates() {
    return FetchPriceChangeDates(DM(), GoodsTableIdentifier(), CurrentPriceColumn());
}

int DatabaseGoodsListSource::LetterStandardIndex() const {
    return App().letterStandardIndex;
}

}  // namespace rubso
