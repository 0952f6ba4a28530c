#include "trading/transfer_settings.h"

#include <limits>

#include "core/app_state.h"
#include "core/codepage.h"
#include "core/file_utils.h"
#include "core/ini_file.h"
#include "core/installation_settings.h"
#include "core/operator.h"
#include "core/text_utils.h"
#include "db/fb_client.h"
#include "db/tdm.h"

namespace rubso {
namespace {

constexpr const char* kMain = "Main";

std::string RegisterValue(const IniFile& ini, std::string_view section, std::string_view key,
                          std::string_view defaultValue) {
    const std::string value = ini.ReadString(section, key, defaultValue);
    return value.empty() ? ini.ReadString(kMain, key, defaultValue) : value;
}

PathChange AcceptPath(TransferParameterValues& values) {
    const std::string path = WithTrailingSeparator(Trim(values.path));
    const std::string goodsFile = TradingGoodsFile(path, App().saleDate.year());
    if (!FileExists(goodsFile)) {
        Komunikat(Cp1250("Brak kartoteki asortymentowej ") + goodsFile, true);
        return PathChange::Refused;
    }
    values.path = Trim(values.path);
    SetWorkingDate(App().saleDate);
    SaveTransferSettings(values);
    return PathChange::Accepted;
}

}  // namespace

TransferSettings MakeTransferSettings(std::string_view nrMag, std::string_view kierWz,
                                      std::string_view nrRej, std::int32_t contractorCode) {
    TransferSettings settings;
    settings.warehouse = UpperCase(Trim(nrMag));
    settings.salesDirection = Trim(kierWz);
    std::int64_t salesRegister = 0;
    if (TryTextToInt(nrRej, salesRegister) &&
        salesRegister >= std::numeric_limits<std::int32_t>::min() &&
        salesRegister <= std::numeric_limits<std::int32_t>::max()) {
        settings.salesRegister = static_cast<std::int32_t>(salesRegister);
    }
    settings.contractorCode = contractorCode;
    return settings;
}

TransferSettings LoadTransferSettings(const IniFile& ini, std::string_view registerSection,
                                      std::int32_t contractorCode) {
    return MakeTransferSettings(RegisterValue(ini, registerSection, "NrMag", ""),
                                RegisterValue(ini, registerSection, "KierWZ", ""),
                                RegisterValue(ini, registerSection, "NrRej", "0"), contractorCode);
}

TransferParameterValues ReadTransferParameters(const IniFile& ini) {
    TransferParameterValues values;
    values.path = ini.ReadString(kMain, "AsorPth", "");
    values.barKod = ini.ReadString(kMain, "BarKod", "");
    values.standLiter = ini.ReadString(kMain, "StandLiter", "");
    values.typDokum = ini.ReadString(kMain, "TypDokum", "WZ");
    values.useEan = ini.ReadBool(kMain, "UseEAN", false);
    App().mainSettings.useEan = values.useEan;
    App().letterStandard = values.standLiter;
    return values;
}

void SaveTransferSettings(const TransferParameterValues& values) {
    AppState& app = App();
    if (app.iniFile) {
        IniFile& ini = *app.iniFile;
        ini.WriteString(kMain, "AsorPth", values.path);
        ini.WriteString(kMain, "BarKod", values.barKod);
        ini.WriteString(kMain, "StandLiter", values.standLiter);
        ini.WriteString(kMain, "TypDokum", values.typDokum);
        ini.WriteBool(kMain, "UseEAN", values.useEan);
    }
    app.mainSettings.asorPth = WithTrailingSeparator(values.path);
    app.mainSettings.barKod = BarCodeSetting(values.barKod);
    app.mainSettings.useEan = values.useEan;
    app.mainSettings.typDokum = IsBlank(values.typDokum) ? std::string("WZ") : values.typDokum;
    app.letterStandard = values.standLiter;
    SetTableNames();
}

std::string TradingGoodsFile(const std::string& path, int year) {
    return path + "Rok" + std::to_string(year) + kPathSeparator + "Asort.db";
}

PathChange LeaveTradingPath(TransferParameterValues& values) {
    const std::string& current = App().mainSettings.asorPth;
    if (IsBlank(values.path)) {
        values.path = current;
        return PathChange::Restored;
    }
    if (values.path == current) return PathChange::Unchanged;
    return AcceptPath(values);
}

PathChange ChooseTradingPath(TransferParameterValues& values, const std::string& folder) {
    if (IsBlank(folder)) return PathChange::Unchanged;
    TransferParameterValues chosen = values;
    chosen.path = folder;
    const PathChange change = AcceptPath(chosen);
    if (change == PathChange::Accepted) values = chosen;
    return change;
}

bool LeaveBarcodeColumn(TransferParameterValues& values, const std::string& text) {
    const ColumnSetting column = BarCodeSetting(text);
    if (!column.IsValid()) {
        ShowMessage(column.Refusal());
        return false;
    }
    if (!column.IsBlank()) values.barKod = text;
    SaveTransferSettings(values);
    return true;
}

bool LeaveLetterStandard(TransferParameterValues& values, const std::string& text,
                         int selectedItem) {
    App().letterStandardIndex = 0;
    if (IsBlank(text)) return false;
    values.standLiter = text;
    SaveTransferSettings(values);
    App().letterStandardIndex = selectedItem == 0 ? 4 : selectedItem == 1 ? 3 : 0;
    return true;
}

void SetUseEan(TransferParameterValues& values, bool checked) {
    values.useEan = checked;
    SaveTransferSettings(values);
}

CatalogueColumns SplitCatalogueColumns(const std::vector<std::string>& columnNames,
                                       const std::string& barKod) {
    CatalogueColumns columns;
    columns.opened = true;
    for (const std::string& column : columnNames) {
        const std::string name = UpperCase(column);
        const bool price = name.find("CENA") != std::string::npos;
        if (!price && name.find("DATAZMIA") == std::string::npos) {
            if (SameTextIgnoringCase(name, barKod)) {
                columns.barcodeSelection = static_cast<int>(columns.barcodeNames.size());
            }
            columns.barcodeNames.push_back(name);
        }
        if (price && name.find("OLDCENA") == std::string::npos) columns.priceNames.push_back(name);
    }
    return columns;
}

CatalogueColumns ReadCatalogueColumns(TDM& dm, const SqlIdentifier& goodsTable,
                                      const std::string& barKod) {
    std::vector<std::string> names;
    try {
        dm.IBQ.SetSql("select * from " + goodsTable + " where 1=0");
        dm.IBQ.Open();
        for (int i = 0; i < dm.IBQ.Row().ColumnCount(); ++i) {
            names.push_back(dm.IBQ.Row().ColumnName(i));
        }
        dm.CloseQ(dm.IBQ);
    } catch (const fb::FbError&) {
        dm.IBQ.Close();
        dm.IBQ.Transaction().RollbackIfActive();
        return CatalogueColumns{};
    }
    return SplitCatalogueColumns(names, barKod);
}

}  // namespace rubso
