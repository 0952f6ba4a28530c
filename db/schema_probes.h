#pragma once
// Catalogue probes and schema alterations on the data module: does an object
// exist, what type has a column, and adding what is missing (a column, the
// missing columns of a table script, a table with its indexes, the indexes of
// an index script, a stored procedure).
//
// Names are spliced into the catalogue queries between single quotes after
// ASCII upper-casing, without escaping (the catalogue keeps names in upper
// case). Every probe runs on dm.IBQdm and ends with CloseQ, so each is a
// committed read transaction of its own.
//
// Failures:
// - Probes, TypPola and ListaPol do not catch: a lost connection or a syntax
//   error raises fb::FbError to the caller.
// - DopiszPole logs its failure and shows nothing.
// - ZmienPoleString, DopiszIndeksy, DopiszPola, DopiszTabele and WymianaProc
//   report through RunSQL or RunScript (work log and message box) and go on.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "db/fb_client.h"
#include "db/tdm.h"

namespace rubso {

// A column's type as the catalogue describes it (TypPola).
struct ColumnType {
    int type = -1;  // RDB$FIELD_TYPE; -1 when the column does not exist
    int subType = 0;
    int precision = 0;
    int scale = 0;       // negative for decimals
    int charLength = 0;  // declared length in characters, 0 when none
    int notNull = 0;     // 1 when declared NOT NULL
    bool operator==(const ColumnType&) const = default;
};

// --- Probes -----------------------------------------------------------------

// Runs `select` + " rows 1"; true when it yields NO row. (The reverse sense
// of the other probes: true means nothing was found.)
bool Jest(TDM& dm, const std::string& select);

bool JestTabela(TDM& dm, std::string_view table);
// With an empty table: an index of that name anywhere; otherwise on that table.
bool JestIndeks(TDM& dm, std::string_view table, std::string_view index);
bool JestTrigger(TDM& dm, std::string_view trigger);
bool JestProcedura(TDM& dm, std::string_view procedure);
bool JestGenerator(TDM& dm, std::string_view generator);
// A function declared in the database (external or PSQL).
bool JestFunkcja(TDM& dm, std::string_view function);
bool JestPole(TDM& dm, std::string_view table, std::string_view column);

// The type of table.column; {type -1, all 0} when there is no such column.
ColumnType TypPola(TDM& dm, std::string_view table, std::string_view column);
// The query TypPola sends (table and column upper-cased, as SQL literals).
std::string TypPolaSql(std::string_view table, std::string_view column);
// A column type text built from a row of the TypPola query, e.g.
// " Varchar(20) NOT NULL", " Numeric(15,4)", " Integer(0)".
std::string TypPolaS(const fb::ResultSet& row);

// The table's column names, blanks trimmed, in the server's order.
std::vector<std::string> ListaPol(TDM& dm, std::string_view table);

// --- Alterations ------------------------------------------------------------

// Adds table.column of the given type unless it exists ("alter table T add C
// type" on IBQRun). True only when the column was added now; logs "Dopisane
// pole ..." then, or "Nieudana próba dopisania pola ..." on failure.
bool DopiszPole(TDM& dm, const std::string& table, const std::string& column,
                const std::string& type);

// Adds to an existing table, in one ALTER TABLE run by RunScript, the columns
// its creation script (e.g. "C_COM_DEF") has and the table lacks. Clears
// ListaScr first; does nothing more for an index script name, a name not
// beginning with "C_", or a table that does not exist.
void DopiszPola(TDM& dm, const std::string& scriptName);

// 1: the table existed; 0: created now from "C_" + table (its index script
// run too, whose failure is reported but does not change the result);
// -1: the table script failed.
int DopiszTabele(TDM& dm, const std::string& table);

// Runs each CREATE INDEX line of the index script whose index does not exist;
// with `recreate`, an existing one is dropped and created again.
void DopiszIndeksy(TDM& dm, const std::string& scriptName, bool recreate);

// Widens a text column to `length` characters in place (ALTER COLUMN ...
// TYPE VARCHAR(length), through RunSQL). True when committed.
bool ZmienPoleString(TDM& dm, const std::string& table, const std::string& column, int length);

// Sends the procedure's script (the procedure's name is its script name):
// 2 when created now, 1 when altered (the head's CREATE made ALTER), 0 when
// the script failed.
int WymianaProc(TDM& dm, const std::string& procedure);

// The table of a table script name ("C_ODCZYT" gives "ODCZYT"); empty for an
// index script or a name not beginning with "C_".
std::string ScrNazwaTabeli(std::string_view scriptName);
// The name without its first two characters when it ends with "IDX", else
// empty.
std::string ScrNazwaIndx(std::string_view scriptName);

// --- Statement count --------------------------------------------------------

// Statements the schema code has sent to the server since the last reset:
// each probe and query, each RunSQL, each statement of a RunScr or RunScript
// buffer, each parameter read (one) and write (two). For measurements.
std::int64_t SchemaStatementsSent();
void ResetSchemaStatementsSent();

// The runners of TDM, counted; the schema code sends everything through them.
bool SchemaRunSQL(TDM& dm, const std::string& statement);
bool SchemaRunScr(TDM& dm, const std::string& label);
bool SchemaRunScript(TDM& dm, const std::string& label);
void CountSchemaStatements(int count);

}  // namespace rubso
