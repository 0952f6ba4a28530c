#include "trading/catalogue_lookup.h"

#include "core/app_state.h"
#include "db/goods_catalogue.h"

namespace rubso {

GoodsLookup CatalogueGoodsLookup(TDM& dm) {
    return [&dm](std::int64_t code) {
        const AppState& app = App();
        const SeekAsortResult found =
            FSeekAsort(dm, KodyTablePath(app.dataDir, app.registerNo), code, GoodsTableIdentifier(),
                       app.mainSettings.barKod.Column());
        return GoodsMatch{found.asort, found.ean, found.vatRate, found.vatCode};
    };
}

}  // namespace rubso
