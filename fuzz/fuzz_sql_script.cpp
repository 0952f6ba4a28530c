// The schema scripts' splitter and the translation of named parameters:
// statements are never empty, a routine definition keeps its text, and
// every "?" sent to the server has its marker.

#include <algorithm>
#include <string>

#include "db/fb_sql_params.h"
#include "db/script_splitter.h"
#include "fuzz/fuzz_support.h"

using namespace rubso;
using namespace rubso::fuzz;

namespace {

void CheckTranslation(std::string_view sql) {
    const fb::ServerStatement statement = fb::TranslateNamedParams(sql);
    const auto questionMarks =
        static_cast<std::size_t>(std::count(statement.text.begin(), statement.text.end(), '?'));
    Expect(statement.markers.size() <= questionMarks, "each marker stands for a \"?\"");
    if (fb::IsRoutineDefinition(sql)) {
        Expect(statement.text == sql && statement.markers.empty(),
               "a routine definition goes unchanged");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view chunk = Bytes(data, size);
    CheckTranslation(chunk);
    for (const ScriptStatement& statement : SplitScript(chunk)) {
        Expect(!statement.text.empty(), "a statement is not empty");
        Expect(ClassifyStatement(statement.text) == statement.kind, "a statement keeps its kind");
        CheckTranslation(statement.text);
    }
    return 0;
}
