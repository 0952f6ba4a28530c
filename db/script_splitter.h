#pragma once
// Splitting of a script chunk into the statements that RunScript executes
// one by one. Pure text work: no server is involved.

#include <string>
#include <string_view>
#include <vector>

namespace rubso {

// How the executor runs a statement: a definition in a transaction of its
// own that is committed at once, a data change in the chunk's transaction.
enum class StatementKind { Definition, DataChange };

struct ScriptStatement {
    std::string text;  // without the terminating ";" and surrounding blanks
    StatementKind kind = StatementKind::DataChange;
    bool operator==(const ScriptStatement&) const = default;
};

// Splits `chunk` into statements at ";". A procedure, trigger, function or
// package definition and an EXECUTE BLOCK are one statement up to the END
// that closes the outermost BEGIN of their body (the ";" after that END is
// optional); their header up to AS still ends at a ";", so a definition
// without a body (ALTER TRIGGER T INACTIVE;) is split normally. Quoted texts,
// quoted names and comments never split or nest. Statements that hold
// nothing but blanks and comments are dropped; the last statement needs no
// ";". Leading comments of a statement are dropped, inner ones are kept.
std::vector<ScriptStatement> SplitScript(std::string_view chunk);

// Definition when the first word (after blanks and comments) is CREATE,
// ALTER, DROP, DECLARE, GRANT or REVOKE, or the first two words are
// SET GENERATOR; case-insensitive. Everything else is a data change.
StatementKind ClassifyStatement(std::string_view statement);

}  // namespace rubso
