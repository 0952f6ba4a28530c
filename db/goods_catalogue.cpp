#include "db/goods_catalogue.h"

#include <cctype>
#include <stdexcept>

#include "app/core/file_utils.h"
#include "app/core/text_utils.h"
#include "db/schema_probes.h"

namespace rubso {
namespace {

// RDB$FIELD_TYPE of the text kinds.
constexpr int kCharType = 14;
constexpr int kVarcharType = 37;

std::string TextColumn(const fb::ResultSet& row, std::string_view name) {
    const int index = row.FindColumn(name);
    return index < 0 ? std::string() : row.AsString(index);
}

int IntColumn(const fb::ResultSet& row, std::string_view name) {
    const int index = row.FindColumn(name);
    return index < 0 ? 0 : row.AsInt(index);
}

void RequireIdentifier(const std::string& name, const char* what) {
    if (!IsPlainIdentifier(name)) {
        throw std::invalid_argument(std::string(what) + " '" + name + "' is not a column name");
    }
}

}  // namespace

// --- Register definitions ------------------------------------------------------

std::optional<RegisterDefinition> ReadRegisterDefinition(TDM& dm, int id) {
    fb::Transaction transaction(dm.IBBaza);
    transaction.Start();
    fb::Statement statement(dm.IBBaza, "select * from COM_DEF where id=" + std::to_string(id));
    fb::ResultSet row = statement.Open(transaction);
    if (row.Eof()) return std::nullopt;
    RegisterDefinition definition;
    definition.id = IntColumn(row, "ID");
    definition.port = IntColumn(row, "PORT");
    definition.szybkosc = IntColumn(row, "SZYBKOSC");
    definition.rej = IntColumn(row, "REJ");
    definition.kierunek = TextColumn(row, "KIERUNEK");
    definition.cena = TextColumn(row, "CENA");
    definition.magazyn = TextColumn(row, "MAGAZYN");
    definition.nazwa = TextColumn(row, "NAZWA");
    definition.kodKasa = TextColumn(row, "KOD_KASA");
    definition.nrSysKasa = TextColumn(row, "NRSYS_KASA");
    definition.kod = IntColumn(row, "KOD");
    definition.vyrNrSzt = IntColumn(row, "VYRNRSZT");
    definition.vyrNrKg = IntColumn(row, "VYRNRKG");
    definition.timeOut = IntColumn(row, "TIMEOUT");
    row.Close();
    transaction.Commit();
    return definition;
}

int RegisterNumberOf(const RegisterDefinition& definition) {
    return static_cast<int>(RegisterCodeOf(definition.kodKasa));
}

std::string KasaDisplayText(std::string_view kodKasa) {
    return "Kasa " + IntPadLeft(RegisterCodeOf(kodKasa), 2, '0');
}

std::string PriceDisplayText(double price) {
    return FixedText(price, 2);
}

// --- Register codes ------------------------------------------------------------

std::int64_t RegisterCodeOf(std::string_view kodKasaText) {
    try {
        return LeadingInt(kodKasaText);
    } catch (const ConvertError&) {
        return 0;  // "1-2", "--": not a code
    }
}

KodKasaKind KodKasaKindOf(TDM& dm, const std::string& goodsTable) {
    const ColumnType type = TypPola(dm, goodsTable, "KOD_KASA");
    if (type.type < 0) throw fb::FbError("Column KOD_KASA not found in table " + goodsTable);
    return type.type == kCharType || type.type == kVarcharType ? KodKasaKind::Text
                                                               : KodKasaKind::Integer;
}

std::string KodKasaValueText(KodKasaKind kind, std::int64_t code) {
    return kind == KodKasaKind::Text ? IntPadLeft(code, 5) : std::to_string(code);
}

bool IsPlainIdentifier(std::string_view name) {
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name.front())) != 0) return false;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x80 || (std::isalnum(u) == 0 && c != '_' && c != '$')) return false;
    }
    return true;
}

// --- The goods table -------------------------------------------------------------

bool GoodsTableReachable(TDM& dm, const std::string& goodsTable) {
    if (!dm.IBBaza.IsConnected()) return false;
    try {
        return JestTabela(dm, goodsTable);
    } catch (const fb::FbError& e) {
        // A connection that is gone says nothing about the table.
        if (e.ConnectionLost()) throw;
        return false;
    } catch (const std::exception&) {
        return false;
    }
}

RegisterCodeMap FetchRegisterCodeMap(TDM& dm, const std::string& goodsTable) {
    // "is not null" rather than "<> 0": a text column holding a blank would
    // make the server's conversion to a number fail.
    fb::Transaction transaction(dm.IBBaza);
    transaction.Start();
    fb::Statement statement(
        dm.IBBaza, "select kod_kasa,asort from " + goodsTable + " where kod_kasa is not null");
    RegisterCodeMap codes;
    for (fb::ResultSet row = statement.Open(transaction); !row.Eof(); row.Next()) {
        const std::int64_t code = RegisterCodeOf(row.AsString(0));
        if (code == 0) continue;
        std::string asort = row.AsString(1);
        auto [entry, added] = codes.try_emplace(code, std::move(asort));
        if (!added && asort < entry->second) entry->second = std::move(asort);
    }
    transaction.Commit();
    return codes;
}

ExportGoodsReader::ExportGoodsReader(TDM& dm, const std::string& goodsTable,
                                     const std::string& priceColumn, const std::string& vatColumn,
                                     const std::string& barCodeColumn)
    : attachment_(dm.IBBaza), statement_(dm.IBBaza), hasBarCode_(!IsBlank(barCodeColumn)) {
    RequireIdentifier(goodsTable, "Goods table");
    RequireIdentifier(priceColumn, "Price column");
    RequireIdentifier(vatColumn, "VAT column");
    std::string sql = "select asort, nazwa, " + priceColumn + " as cena_eksportu, " + vatColumn +
                      " as vat_eksportu, jm, kod_kasa";
    if (hasBarCode_) {
        const std::string barCode = Trim(barCodeColumn);
        RequireIdentifier(barCode, "Bar-code column");
        sql += ", " + barCode + " as kod_kreskowy";
    }
    sql += " from " + goodsTable + " where asort = :asort";
    statement_.Prepare(sql);
}

std::optional<ExportGood> ExportGoodsReader::Find(const std::string& asort) {
    fb::Transaction transaction(attachment_);
    transaction.Start();
    statement_.SetString("asort", asort);
    fb::ResultSet row = statement_.Open(transaction);
    if (row.Eof()) return std::nullopt;
    ExportGood good;
    good.asort = row.AsString(0);
    good.nazwa = row.AsString(1);
    good.cena = row.AsDouble(2);
    good.stawkaVat = row.AsDouble(3);
    good.jm = row.AsString(4);
    good.kodKasa = RegisterCodeOf(row.AsString(5));
    if (hasBarCode_) good.barCode = Trim(row.AsString(6));
    row.Close();
    transaction.Commit();
    return good;
}

SeekAsortResult FSeekAsort(TDM& dm, const std::string& kodyPath, std::int64_t code,
                           const std::string& goodsTable, const std::string& barCodeColumn) {
    SeekAsortResult result;
    if (!FileExists(kodyPath)) return result;  // an empty code table: nothing found
    const std::optional<std::string> ean =
        LookupText(kodyPath, "Kod_Ean", "Kod", DesktopValue(code));
    if (!ean) return result;
    result.ean = *ean;
    // A code without a bar code would otherwise find any good without one.
    if (IsBlank(result.ean)) return result;

    RequireIdentifier(goodsTable, "Goods table");
    RequireIdentifier(barCodeColumn, "Bar-code column");
    fb::Transaction transaction(dm.IBBaza);
    transaction.Start();
    fb::Statement statement(dm.IBBaza, "select asort,stawka_vat,kod_vat from " + goodsTable +
                                           " where " + barCodeColumn + " = :ean");
    statement.SetString("ean", result.ean);
    fb::ResultSet row = statement.Open(transaction);
    if (!row.Eof()) {
        result.asort = row.AsString(0);
        result.vatRate = row.AsInt(1);
        result.vatCode = row.AsString(2);
    }
    row.Close();
    transaction.Commit();
    return result;
}

// --- The register code table -------------------------------------------------------

std::string KodyTablePath(const std::string& dataDir, int registerNo) {
    return dataDir + "Kody" + IntPadLeft(registerNo, 2, '0') + ".db";
}

const std::vector<DesktopNewField>& KodyFields() {
    static const std::vector<DesktopNewField> fields = {
        {"Kod", DesktopFieldKind::Long, 0},       {"Nazwa", DesktopFieldKind::Alpha, 30},
        {"Cena", DesktopFieldKind::Number, 0},    {"Inne", DesktopFieldKind::Alpha, 40},
        {"Kod_Ean", DesktopFieldKind::Alpha, 40},
    };
    return fields;
}

void OpenKody(DesktopTable& table, const std::string& path, DesktopOpenMode mode) {
    table.Close();
    if (!FileExists(path)) DesktopTable::Create(path, KodyFields());
    table.Open(path, mode);
}

}  // namespace rubso
