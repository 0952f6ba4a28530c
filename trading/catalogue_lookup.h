#pragma once
// The transfer's goods lookup for "UseEAN": FSeekAsort on the current
// register's code table and the goods catalogue.

#include "trading/trading_tables.h"

namespace rubso {

class TDM;

// A GoodsLookup that runs FSeekAsort with the code table of App().registerNo
// in App().dataDir, App().goodsTable and the bar-code column
// App().mainSettings.barKod, all read at each call. A blank bar-code column,
// one that names no column (InvalidIdentifierError) and database errors (an
// unknown column) are raised to the transfer, which stops. `dm` must outlive
// the lookup.
GoodsLookup CatalogueGoodsLookup(TDM& dm);

}  // namespace rubso
