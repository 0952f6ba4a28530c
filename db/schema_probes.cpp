#include "db/schema_probes.h"

#include <algorithm>
#include <cstdlib>

#include "core/codepage.h"
#include "core/text_utils.h"
#include "core/work_log.h"
#include "db/schema_scripts.h"
#include "db/script_splitter.h"

namespace rubso {
namespace {

std::int64_t g_statementsSent = 0;

// Catalogue names are plain ASCII; letters beyond it are left alone.
std::string AsciiUpper(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return result;
}

// A value as an SQL text literal: single quotes inside become double quotes.
std::string SqlTextLiteral(std::string_view value) {
    return "'" + ReplaceAll(value, "'", "\"") + "'";
}

// Sends a probe and answers its column `jest` > 0.
bool CountProbe(TDM& dm, std::string sql) {
    CountSchemaStatements(1);
    dm.IBQdm.SetSql(std::move(sql));
    dm.IBQdm.Open();
    const bool found = dm.IBQdm.Row().AsInt("jest") > 0;
    dm.CloseQ(dm.IBQdm);
    return found;
}

// Statements RunScr will send for the buffer: a line ending in ";" is one,
// any other non-empty line takes the next line with it.
int CountScrStatements(const std::vector<std::string>& lines) {
    int count = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string line = Trim(lines[i]);
        if (line.empty()) continue;
        if (EndsWith(line, "#")) line.pop_back();
        if (!EndsWith(line, ";")) ++i;
        ++count;
    }
    return count;
}

// Statements RunScript will send for the buffer, chunk by chunk.
int CountScriptStatements(const std::vector<std::string>& lines) {
    int count = 0;
    std::string chunk;
    for (const std::string& line : lines) {
        const std::size_t hash = line.find('#');
        chunk += line.substr(0, hash);
        chunk += "\r\n";
        if (hash != std::string::npos) {
            count += static_cast<int>(SplitScript(chunk).size());
            chunk.clear();
        }
    }
    return count + static_cast<int>(SplitScript(chunk).size());
}

}  // namespace

// --- Statement count --------------------------------------------------------

std::int64_t SchemaStatementsSent() {
    return g_statementsSent;
}
void ResetSchemaStatementsSent() {
    g_statementsSent = 0;
}
void CountSchemaStatements(int count) {
    g_statementsSent += count;
}

bool SchemaRunSQL(TDM& dm, const std::string& statement) {
    CountSchemaStatements(1);
    return dm.RunSQL(statement);
}

bool SchemaRunScr(TDM& dm, const std::string& label) {
    CountSchemaStatements(CountScrStatements(dm.ListaScr));
    return dm.RunScr(label, false);
}

bool SchemaRunScript(TDM& dm, const std::string& label) {
    CountSchemaStatements(CountScriptStatements(dm.ListaScr));
    return dm.RunScript(label, false);
}

// --- Probes -----------------------------------------------------------------

bool Jest(TDM& dm, const std::string& select) {
    CountSchemaStatements(1);
    dm.IBQdm.SetSql(select + " rows 1");
    dm.IBQdm.Open();
    const bool none = dm.IBQdm.Eof();
    dm.CloseQ(dm.IBQdm);
    return none;
}

bool JestTabela(TDM& dm, std::string_view table) {
    return CountProbe(
        dm, "select count(*) as jest from rdb$relations where rdb$flags=1 and rdb$relation_name=" +
                SqlTextLiteral(AsciiUpper(table)));
}

bool JestIndeks(TDM& dm, std::string_view table, std::string_view index) {
    if (table.empty()) {
        return CountProbe(dm,
                          "select count(rdb$index_name) as jest from rdb$indices  where "
                          "rdb$index_name=" +
                              SqlTextLiteral(AsciiUpper(index)));
    }
    return CountProbe(dm,
                      "select count(rdb$index_name) as jest from rdb$indices  where "
                      "rdb$relation_name=" +
                          SqlTextLiteral(AsciiUpper(table)) +
                          "and rdb$index_name=" + SqlTextLiteral(AsciiUpper(index)));
}

bool JestTrigger(TDM& dm, std::string_view trigger) {
    return CountProbe(dm,
                      "Select Count(rdb$trigger_name) as jest from rdb$triggers  where "
                      "rdb$trigger_name = " +
                          SqlTextLiteral(AsciiUpper(trigger)));
}

bool JestProcedura(TDM& dm, std::string_view procedure) {
    return CountProbe(dm,
                      "Select Count(rdb$procedure_name) as jest from rdb$procedures  where "
                      "rdb$procedure_name = " +
                          SqlTextLiteral(AsciiUpper(procedure)));
}

bool JestGenerator(TDM& dm, std::string_view generator) {
    return CountProbe(dm, "select count(*) as jest from rdb$generators where rdb$generator_name=" +
                              SqlTextLiteral(AsciiUpper(generator)));
}

bool JestFunkcja(TDM& dm, std::string_view function) {
    return CountProbe(dm, "select count(*) as jest from rdb$functions where rdb$function_name=" +
                              SqlTextLiteral(AsciiUpper(function)));
}

bool JestPole(TDM& dm, std::string_view table, std::string_view column) {
    return CountProbe(
        dm,
        "select count( r.rdb$field_name)  as jest from rdb$relation_fields r left outer join "
        "rdb$fields f on f.rdb$field_name = r.rdb$field_source where r.rdb$relation_name = " +
            SqlTextLiteral(AsciiUpper(table)) +
            " and r.rdb$field_name = " + SqlTextLiteral(AsciiUpper(column)));
}

std::string TypPolaSql(std::string_view table, std::string_view column) {
    return "select  f.rdb$field_type as typ, cast(f.rdb$field_sub_type as integer) as subtyp, "
           "cast(f.rdb$field_scale as integer) as scale, cast(f.rdb$field_precision as integer) "
           "as prec, iif( f.rdb$character_length is null,0, f.rdb$character_length) as charlen, "
           "iif (r.rdb$null_flag is null, 0,1) as null_flag from rdb$relation_fields r left "
           "outer join rdb$fields f on f.rdb$field_name = r.rdb$field_source where "
           "r.rdb$relation_name = " +
           SqlTextLiteral(AsciiUpper(table)) +
           " and r.rdb$field_name=" + SqlTextLiteral(AsciiUpper(column));
}

ColumnType TypPola(TDM& dm, std::string_view table, std::string_view column) {
    CountSchemaStatements(1);
    ColumnType result;
    dm.IBQdm.SetSql(TypPolaSql(table, column));
    dm.IBQdm.Open();
    if (!dm.IBQdm.Eof()) {
        const fb::ResultSet& row = dm.IBQdm.Row();
        result.type = row.AsInt("typ");
        result.subType = row.AsInt("subtyp");
        result.precision = row.AsInt("prec");
        result.scale = row.AsInt("scale");
        result.charLength = row.AsInt("charlen");
        result.notNull = row.AsInt("null_flag");
    }
    dm.CloseQ(dm.IBQdm);
    return result;
}

std::string TypPolaS(const fb::ResultSet& row) {
    const int type = row.AsInt("Typ");
    const int subType = row.AsInt("subtyp");
    const int precision = row.AsInt("Prec");
    const int scale = row.AsInt("scale");
    const bool scaled = !row.IsNull("Prec") && precision != 0 && scale != 0;

    std::string suffix;
    if (scaled) {
        suffix = "(" + std::to_string(precision) + "," + std::to_string(std::abs(scale)) + ")";
    } else if (!row.IsNull("charlen")) {
        suffix = "(" + std::to_string(row.AsInt("charlen")) + ")";
    }
    if (row.AsInt("null_flag") == 1) suffix += " NOT NULL";

    auto exactWord = [&](const char* otherwise) -> std::string {
        if (subType == 1) return " Numeric";
        if (subType == 2) return " Decimal";
        return otherwise;
    };
    std::string word;
    switch (type) {
        case 7:
            word = " Smallint";
            break;
        case 8:
            word = exactWord(scaled ? " Numeric" : " Integer");
            break;
        case 10:
            word = " Float";
            break;
        case 11:
            word = " D_Float";
            break;
        case 12:
            word = " Date";
            break;
        case 13:
            word = " Time";
            break;
        case 14:
            word = " Char";
            break;
        case 16:
            word = exactWord(" Int64");
            break;
        case 35:
            word = " TimeStamp";
            break;
        case 37:
            word = " Varchar";
            break;
        case 40:
            word = " CString";
            break;
        case 261:
            word = " Blob";
            break;
        default:
            break;
    }
    return word + suffix;
}

std::vector<std::string> ListaPol(TDM& dm, std::string_view table) {
    CountSchemaStatements(1);
    std::vector<std::string> names;
    dm.IBQdm.SetSql(
        "select r.rdb$field_name as pole from rdb$relation_fields r left outer join rdb$fields f "
        "on f.rdb$field_name = r.rdb$field_source where r.rdb$relation_name = " +
        SqlTextLiteral(AsciiUpper(table)));
    for (dm.IBQdm.Open(); !dm.IBQdm.Eof(); dm.IBQdm.Next()) {
        names.push_back(Trim(dm.IBQdm.Row().AsString("pole")));
    }
    dm.CloseQ(dm.IBQdm);
    return names;
}

// --- Alterations ------------------------------------------------------------

bool DopiszPole(TDM& dm, const std::string& table, const std::string& column,
                const std::string& type) {
    if (JestPole(dm, table, column)) return false;
    dm.IBTRun.RollbackIfActive();
    try {
        CountSchemaStatements(1);
        dm.IBTRun.Start();
        dm.IBQRun.SetSql("alter table " + table + " add " + column + " " + type);
        dm.IBQRun.ExecSql();
        dm.IBTRun.Commit();
        WriteWorkLog("Dopisane pole " + column + " do tabeli " + table);
        return true;
    } catch (const fb::FbError&) {
        WriteWorkLog(Cp1250("Nieudana próba dopisania pola ") + column + " w tabeli " + table);
        dm.IBTRun.RollbackIfActive();
        return false;
    }
}

void DopiszPola(TDM& dm, const std::string& scriptName) {
    dm.ClearListaScr();
    const std::string table = ScrNazwaTabeli(scriptName);
    if (table.empty() || !JestTabela(dm, table)) return;

    dm.ListaScr.push_back("ALTER TABLE " + table);
    std::vector<std::string> lines = Skrypt(scriptName);
    const std::vector<std::string> columns = ListaPol(dm, table);

    // From the second line (the first is CREATE TABLE) up to the constraint
    // or the closing line. The first line examined keeps the script's case;
    // the following ones are upper-cased before they are examined, so their
    // ADD lines are upper-case.
    std::size_t i = 1;
    while (i < lines.size()) {
        const std::string name = UpperCase(NthField(lines[i], 1, ' '));
        if (std::find(columns.begin(), columns.end(), name) == columns.end()) {
            dm.ListaScr.push_back("ADD " + lines[i]);
        }
        ++i;
        if (i >= lines.size()) break;
        lines[i] = UpperCase(lines[i]);
        if (lines[i].find("PRIMARY KEY") != std::string::npos ||
            lines[i].find(';') != std::string::npos) {
            break;
        }
    }

    if (dm.ListaScr.size() > 1) {
        if (EndsWith(dm.ListaScr.back(), ",")) dm.ListaScr.back().pop_back();
        dm.ListaScr.push_back(";");
        SchemaRunScript(dm, "zmiana struktury " + table);
    }
}

int DopiszTabele(TDM& dm, const std::string& table) {
    if (JestTabela(dm, table)) return 1;
    dm.ListaScr = Skrypt("C_" + table);
    if (!SchemaRunScript(dm, "C_" + table)) return -1;
    dm.ListaScr = Skrypt("C_" + table + "_IDX");
    SchemaRunScript(dm, "C_" + table + " idx");
    return 0;
}

void DopiszIndeksy(TDM& dm, const std::string& scriptName, bool recreate) {
    for (const std::string& line : Skrypt(scriptName)) {
        if (IsBlank(line)) continue;
        const std::string index =
            NthField(line, line.find("DESC") != std::string::npos ? 4 : 3, ' ');
        if (!JestIndeks(dm, "", index)) {
            SchemaRunSQL(dm, line);
        } else if (recreate) {
            SchemaRunSQL(dm, "drop index " + index);
            SchemaRunSQL(dm, line);
        }
    }
}

bool ZmienPoleString(TDM& dm, const std::string& table, const std::string& column, int length) {
    // The server keeps its catalogue read-only, so the column is widened by
    // ALTER COLUMN rather than by writing RDB$FIELDS; the rows stay as they
    // are and the new length counts in characters, as before.
    return SchemaRunSQL(dm, "ALTER TABLE " + table + " ALTER COLUMN " + column + " TYPE VARCHAR(" +
                                std::to_string(length) + ")");
}

int WymianaProc(TDM& dm, const std::string& procedure) {
    dm.ListaScr = Skrypt(procedure);
    int result = 2;
    if (JestProcedura(dm, procedure)) {
        if (!dm.ListaScr.empty()) {
            std::string& head = dm.ListaScr.front();
            const std::size_t at = UpperCase(head).find("CREATE");
            if (at != std::string::npos) head.replace(at, 6, "ALTER");
        }
        result = 1;
    }
    if (!SchemaRunScript(dm, "Wymiana proc " + procedure)) result = 0;
    return result;
}

std::string ScrNazwaTabeli(std::string_view scriptName) {
    if (!StartsWith(scriptName, "C_") || EndsWith(scriptName, "IDX")) return {};
    return std::string(scriptName.substr(2, 40));
}

std::string ScrNazwaIndx(std::string_view scriptName) {
    if (!EndsWith(scriptName, "IDX")) return {};
    return std::string(scriptName.substr(2, 40));
}

}  // namespace rubso
