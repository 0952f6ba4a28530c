#pragma once
// Named parameters of a statement text: ":name" markers become the "?"
// markers the server understands. Pure text work, no server involved.

#include <string>
#include <string_view>
#include <vector>

namespace rubso::fb {

struct ServerStatement {
    std::string text;                  // the text sent to the server
    std::vector<std::string> markers;  // one per "?" in `text`: the parameter's
                                       // name as written, "" for a plain "?"
};

// Replaces every ":name" (an identifier: a letter or "_", then letters,
// digits, "_" or "$") by "?" and records the names in order; a name may occur
// more than once. Quoted texts ('...'), quoted names ("...") and comments
// (-- to the end of the line, /* ... */) are copied unchanged, as is every
// ":" not followed by an identifier. A plain "?" is kept and recorded with an
// empty name. A routine definition or EXECUTE BLOCK (see IsRoutineDefinition)
// is returned unchanged, with no markers: its ":" belong to PSQL.
ServerStatement TranslateNamedParams(std::string_view sql);

// True when the statement defines PSQL: [CREATE [OR ALTER] | ALTER |
// RECREATE] followed by PROCEDURE, TRIGGER, FUNCTION or PACKAGE [BODY], or
// EXECUTE BLOCK. Leading blanks and comments are skipped; letter case does
// not matter.
bool IsRoutineDefinition(std::string_view sql);

}  // namespace rubso::fb
