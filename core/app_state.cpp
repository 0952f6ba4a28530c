#include "core/app_state.h"

#include "core/ini_file.h"

namespace rubso {

AppState& App() {
    static AppState state;
    return state;
}

ColumnSetting BarCodeSetting(std::string_view text) {
    return ColumnSetting(text, "pola z kodem kreskowym");
}

SqlIdentifier GoodsTableIdentifier() {
    return SqlIdentifier::Require(App().goodsTable, "kartoteki asortymentowej");
}

SqlIdentifier GroupsTableIdentifier() {
    return SqlIdentifier::Require(App().groupsTable, "tabeli grup towarowych");
}

SqlIdentifier VatColumnIdentifier() {
    const std::string& column = App().vatColumn;
    return SqlIdentifier::Require(column.empty() ? "Stawka_Vat" : column, "pola ze stawką VAT");
}

}  // namespace rubso
