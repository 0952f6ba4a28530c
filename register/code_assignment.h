#pragma once
// Register codes (PLU) and short names of the goods table: giving the goods
// of chosen groups a free code and a short name, and clearing all codes.
// The goods table lives in the shared database; KOD_KASA is read as text
// and written in the column's own form (an integer, or 5 characters
// right-aligned).

#include <set>
#include <string>
#include <vector>

#include "core/sql_identifier.h"
#include "db/tdm.h"

namespace rubso {

// The groups of the ticked entries of the group check list ("code name"):
// each code, trimmed, padded with blanks or cut to 3 characters.
std::set<std::string> GroupFilter(const std::vector<std::string>& tickedGroups);

// Walks the goods table in symbol order and, for every good of one of the
// `groups` (its Grupa padded or cut to 3) with a VAT rate above 0 and a
// name: a good without a code gets the highest code of the table + 1, the
// next one + 2, and so on; a good without a short name (ATEST) gets the
// first 18 characters of its name. Goods that have both are left alone.
// All changes are made in one transaction that reserves the goods table
// for writing, so two workstations assigning codes at once never give two
// goods the same code: the second waits for the first (up to 30 s; then
// std::runtime_error with a Polish message) and continues from its codes.
// When a change fails, those made before it are committed and the error
// (fb::FbError) is raised. Returns the number of goods changed.
int AssignRegisterCodes(TDM& dm, const SqlIdentifier& goodsTable,
                        const std::set<std::string>& groups);

// Zeroing the register codes of the goods table: "Zerowanie pola KOD_KASA"
// stores the code 0 in the column's own form; Ctrl+F10 stores NULL. Runs
// through dm.RunSQL (a failure is logged and shown); true when done.
enum class CodeResetValue { Zero, Null };
bool ZerujKodyKasy(TDM& dm, const SqlIdentifier& goodsTable, CodeResetValue value);

}  // namespace rubso
