#include "db/goods_catalogue.h"

#include <algorithm>
#include <climits>
#include <set>

#include "core/file_utils.h"
#include "core/text_utils.h"
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

// --- Key lists -------------------------------------------------------------------
//
// A list of keys (goods symbols, register codes) reaches the server as one
// text parameter of fixed-width pieces, which a recursive query turns back
// into rows (n, k): n the key's position from 0, k the key padded with
// blanks on the right. One statement then joins up to a thousand keys to the
// goods table through its index, where a statement per key would cost a
// round trip each. Blanks on the right never change a text comparison in SQL.

// The server stops a recursion at 1024 levels.
constexpr std::size_t kKeysPerStatement = 1000;
// The longest text parameter a statement takes.
constexpr std::size_t kKeyTextLimit = 32000;

// The head of a statement over the key list "kl" whose text parameter holds
// at most `textLength` bytes; the statement goes on with "select ... from
// kl join ...". The parameter is cast to no more than it needs: the server
// makes the cast for every row, at the cost of the declared length.
std::string KeyListSql(std::size_t textLength) {
    return "with recursive kn (n) as (select 0 from rdb$database union all "
           "select n + 1 from kn where n < cast(:last as integer)), "
           "kl (n, k) as (select n, substring(cast(:keys as varchar(" +
           std::to_string(textLength) +
           ")) from n * cast(:width as integer) + 1 for cast(:width as integer)) from kn) ";
}

// Sets the key list of `statement` to keys[from, from + count), each padded
// to `width` bytes.
void SetKeyList(fb::Statement& statement, const std::vector<std::string>& keys, std::size_t from,
                std::size_t count, std::size_t width) {
    std::string packed;
    packed.reserve(count * width);
    for (std::size_t i = from; i < from + count; ++i) {
        packed += keys[i];
        packed.append(width - keys[i].size(), ' ');
    }
    statement.SetString("keys", packed);
    statement.SetInt("last", static_cast<std::int32_t>(count - 1));
    statement.SetInt("width", static_cast<std::int32_t>(width));
}

// Runs KeyListSql + `select` over `keys` in as few executions as the limits
// allow, in `transaction`, calling `row` for every result row with the index
// into `keys` of the key it answers (the row's first column, n, offset by
// the batch). Keys longer than the parameter allows are never found.
template <typename RowFn>
void ForKeyList(fb::Attachment& attachment, fb::Transaction& transaction, const std::string& select,
                const std::vector<std::string>& keys, RowFn&& row) {
    std::size_t width = 1;
    std::vector<std::string> sendable;
    std::vector<std::size_t> original;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (keys[i].size() > kKeyTextLimit) continue;
        width = std::max(width, keys[i].size());
        sendable.push_back(keys[i]);
        original.push_back(i);
    }
    if (sendable.empty()) return;
    const std::size_t perStatement = std::min(kKeysPerStatement, kKeyTextLimit / width);
    fb::Statement statement(attachment, KeyListSql(perStatement * width) + select);
    for (std::size_t from = 0; from < sendable.size(); from += perStatement) {
        const std::size_t count = std::min(perStatement, sendable.size() - from);
        SetKeyList(statement, sendable, from, count, width);
        for (fb::ResultSet rows = statement.Open(transaction); !rows.Eof(); rows.Next()) {
            const auto n = static_cast<std::size_t>(rows.AsInt64(0));
            if (n < count) row(original[from + n], rows);
        }
    }
}

// Adds a code's symbol to `codes`; of two goods with one code the lower
// symbol (byte order) stays.
void AddCode(RegisterCodeMap& codes, std::int64_t code, std::string asort) {
    if (code == 0) return;
    auto [entry, added] = codes.try_emplace(code, std::move(asort));
    if (!added && asort < entry->second) entry->second = std::move(asort);
}

ExportGood GoodOf(const fb::ResultSet& row, int first, bool hasBarCode) {
    ExportGood good;
    good.asort = row.AsString(first);
    good.nazwa = row.AsString(first + 1);
    good.cena = row.AsDouble(first + 2);
    good.stawkaVat = row.AsDouble(first + 3);
    good.jm = row.AsString(first + 4);
    good.kodKasa = RegisterCodeOf(row.AsString(first + 5));
    if (hasBarCode) good.barCode = Trim(row.AsString(first + 6));
    return good;
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

RegisterCodeMap FetchRegisterCodeMap(TDM& dm, const SqlIdentifier& goodsTable) {
    // "is not null" rather than "<> 0": a text column holding a blank would
    // make the server's conversion to a number fail.
    fb::Transaction transaction(dm.IBBaza);
    transaction.Start();
    fb::Statement statement(
        dm.IBBaza, "select kod_kasa,asort from " + goodsTable + " where kod_kasa is not null");
    RegisterCodeMap codes;
    for (fb::ResultSet row = statement.Open(transaction); !row.Eof(); row.Next()) {
        AddCode(codes, RegisterCodeOf(row.AsString(0)), row.AsString(1));
    }
    transaction.Commit();
    return codes;
}

RegisterCodeColumn RegisterCodeColumnOf(TDM& dm, const std::string& goodsTable) {
    RegisterCodeColumn column;
    column.kind = KodKasaKindOf(dm, goodsTable);
    fb::Transaction transaction(dm.IBBaza);
    transaction.Start();
    fb::Statement statement(dm.IBBaza,
                            "select count(*) from rdb$indices i join rdb$index_segments s "
                            "on s.rdb$index_name = i.rdb$index_name "
                            "where i.rdb$relation_name = upper(cast(:goods_table as varchar(63))) "
                            "and s.rdb$field_name = 'KOD_KASA' and s.rdb$field_position = 0 "
                            "and coalesce(i.rdb$index_inactive, 0) = 0");
    statement.SetString("goods_table", goodsTable);
    fb::ResultSet row = statement.Open(transaction);
    column.indexed = !row.Eof() && row.AsInt64(0) > 0;
    row.Close();
    transaction.Commit();
    return column;
}

RegisterCodeMap FetchRegisterCodes(TDM& dm, const SqlIdentifier& goodsTable,
                                   const RegisterCodeColumn& column,
                                   const std::vector<std::int64_t>& wanted) {
    const std::set<std::int64_t> wantedSet(wanted.begin(), wanted.end());
    RegisterCodeMap codes;
    if (!column.indexed) {
        // Without the index every batch of keys would read the whole table:
        // one pass over it costs less.
        for (auto& [code, asort] : FetchRegisterCodeMap(dm, goodsTable)) {
            if (wantedSet.count(code) != 0) codes.emplace(code, std::move(asort));
        }
        return codes;
    }

    // The keys as the column holds them: an INTEGER column only numbers of
    // its range; a text column the code right-aligned in 5 characters, the
    // form the trading program and this system write. A code a text column
    // holds in another form ("12", "00012") would need a pass over the
    // whole table to be found, which costs more than the whole map.
    const bool text = column.kind == KodKasaKind::Text;
    std::vector<std::string> keys;
    for (const std::int64_t code : wantedSet) {
        if (text ? code >= 1 && code <= 99999
                 : code != 0 && code >= INT32_MIN && code <= INT32_MAX) {
            keys.push_back(KodKasaValueText(column.kind, code));
        }
    }
    fb::Transaction transaction(dm.IBBaza);
    transaction.Start();
    ForKeyList(dm.IBBaza, transaction,
               "select kl.n, g.kod_kasa, g.asort from kl join " + goodsTable +
                   " g on g.kod_kasa = " + (text ? "kl.k" : "cast(kl.k as bigint)"),
               keys, [&](std::size_t, const fb::ResultSet& row) {
                   AddCode(codes, RegisterCodeOf(row.AsString(1)), row.AsString(2));
               });
    transaction.Commit();
    return codes;
}

ExportGoodsReader::ExportGoodsReader(TDM& dm, const SqlIdentifier& goodsTable,
                                     const SqlIdentifier& priceColumn,
                                     const SqlIdentifier& vatColumn,
                                     const std::optional<SqlIdentifier>& barCodeColumn)
    : attachment_(dm.IBBaza),
      statement_(dm.IBBaza),
      hasBarCode_(barCodeColumn.has_value()),
      goodsTable_(goodsTable) {
    columns_ = "g.asort, g.nazwa, g." + priceColumn + " as cena_eksportu, g." + vatColumn +
               " as vat_eksportu, g.jm, g.kod_kasa";
    if (barCodeColumn) columns_ += ", g." + *barCodeColumn + " as kod_kreskowy";
    statement_.Prepare("select " + columns_ + " from " + goodsTable + " g where g.asort = :asort");
}

void ExportGoodsReader::Prefetch(const std::vector<std::string>& symbols) {
    fb::Transaction transaction(attachment_);
    transaction.Start();
    std::unordered_map<std::string, std::optional<ExportGood>> found;
    for (const std::string& asort : symbols) found.emplace(asort, std::nullopt);
    ForKeyList(attachment_, transaction,
               "select kl.n, " + columns_ + " from kl join " + goodsTable_ + " g on g.asort = kl.k",
               symbols, [&](std::size_t index, const fb::ResultSet& row) {
                   std::optional<ExportGood>& good = found[symbols[index]];
                   if (!good)
                       good = GoodOf(row, 1, hasBarCode_);  // the first row, as Find takes it
               });
    transaction.Commit();
    for (auto& [asort, good] : found) prefetched_.insert_or_assign(asort, std::move(good));
}

std::optional<ExportGood> ExportGoodsReader::Find(const std::string& asort) {
    const auto prefetched = prefetched_.find(asort);
    if (prefetched != prefetched_.end()) return prefetched->second;
    fb::Transaction transaction(attachment_);
    transaction.Start();
    statement_.SetString("asort", asort);
    fb::ResultSet row = statement_.Open(transaction);
    if (row.Eof()) return std::nullopt;
    ExportGood good = GoodOf(row, 0, hasBarCode_);
    row.Close();
    transaction.Commit();
    return good;
}

SeekAsortResult FSeekAsort(TDM& dm, const std::string& kodyPath, std::int64_t code,
                           const SqlIdentifier& goodsTable,
                           const std::optional<SqlIdentifier>& barCodeColumn) {
    SeekAsortResult result;
    if (!FileExists(kodyPath)) return result;  // an empty code table: nothing found
    const std::optional<std::string> ean =
        LookupText(kodyPath, "Kod_Ean", "Kod", DesktopValue(code));
    if (!ean) return result;
    result.ean = *ean;
    // A code without a bar code would otherwise find any good without one.
    if (IsBlank(result.ean)) return result;

    // Without a bar-code column the refusal names the blank setting.
    const SqlIdentifier column =
        barCodeColumn ? *barCodeColumn : SqlIdentifier::Require("", "pola z kodem kreskowym");
    fb::Transaction transaction(dm.IBBaza);
    transaction.Start();
    fb::Statement statement(dm.IBBaza, "select asort,stawka_vat,kod_vat from " + goodsTable +
                                           " where " + column + " = :ean");
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
