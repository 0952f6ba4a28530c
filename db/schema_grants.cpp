#include "db/schema_grants.h"

#include <map>
#include <set>
#include <utility>

#include "core/clock.h"
#include "core/codepage.h"
#include "core/text_utils.h"
#include "core/work_log.h"
#include "db/schema_probes.h"
#include "db/schema_scripts.h"

namespace rubso {
namespace {

constexpr const char* kRole = "ADMINISTRATOR";

// A script or object name with its year placeholder ("2009" or "XXXX") made
// the year; the placeholder stands once in a name.
std::string WithYear(std::string name, int year) {
    for (const char* placeholder : {"2009", "XXXX"}) {
        const std::size_t at = name.find(placeholder);
        if (at != std::string::npos) return name.replace(at, 4, std::to_string(year));
    }
    return name;
}

ObjectGrant ToRole(std::string privileges, std::string kind, std::string object) {
    return {std::move(privileges), std::move(kind), UpperCase(object), "ROLE", kRole};
}

// What each routine touches outside its own table, by script name (the
// year placeholder as in the script). The procedures' texts are in
// schema_scripts.cpp; a test holds this list against the server's record of
// what they depend on.
struct RoutineRight {
    const char* privileges;
    const char* objectKind;
    const char* object;  // may carry the placeholder
};
const std::map<std::string, std::vector<RoutineRight>>& RoutineRights() {
    static const std::map<std::string, std::vector<RoutineRight>> rights = {
        {"P_VYR_POR_1_XXXX", {{"SELECT", "TABLE", "PARAGONY"}, {"SELECT", "TABLE", "MAGAXXXX"}}},
        {"P_VYR_POR_2", {{"SELECT", "TABLE", "PARAGONY"}}},
        {"P_VYR_POR2009", {{"SELECT", "TABLE", "PARAGONY"}, {"SELECT", "TABLE", "MAGA2009"}}},
        {"P_VYR_STATYSTYKA", {{"SELECT", "TABLE", "PARAGONY"}}},
        {"P_WOLNYKOD2009", {{"SELECT", "TABLE", "KARTAS2009"}}},
        {"P_ZAPISZ_WZ_KASY2009",
         {{"SELECT", "TABLE", "PARAGONY"},
          {"SELECT", "TABLE", "KARTOD"},
          {"SELECT", "TABLE", "KARTAS2009"},
          {"INSERT", "TABLE", "MAGA2009"},
          {"SELECT, INSERT", "TABLE", "REJSPRZ"},
          {"EXECUTE", "PROCEDURE", "P_AKTUKAMA2009"},
          {"USAGE", "GENERATOR", "GEN_KLUCZYK"},
          {"EXECUTE", "FUNCTION", "I64ROUND"}}},
    };
    return rights;
}

// The generator a trigger script draws its identifiers from ("GEN_ID(G, 1)").
std::string TriggerGenerator(const std::string& scriptName) {
    for (const std::string& line : Skrypt(scriptName)) {
        const std::size_t at = UpperCase(line).find("GEN_ID(");
        if (at == std::string::npos) continue;
        const std::size_t start = at + 7;
        return UpperCase(Trim(line.substr(start, line.find(',', start) - start)));
    }
    return {};
}

// A right as the catalogue records it: the privilege's letter and, for a
// column's right, the column.
using Right = std::pair<char, std::string>;

// The parts of a list separated by `separator` outside parentheses, trimmed.
std::vector<std::string> SplitOutsideParentheses(const std::string& text, char separator) {
    std::vector<std::string> parts(1);
    int depth = 0;
    for (const char c : text) {
        if (c == '(') ++depth;
        if (c == ')') --depth;
        if (c == separator && depth == 0) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    for (std::string& part : parts) part = Trim(part);
    return parts;
}

// The rights a grant's privilege list gives ("ALL" is five of them).
std::vector<Right> RightsOf(const std::string& privileges) {
    static const std::map<std::string, char> kLetters = {
        {"SELECT", 'S'},     {"INSERT", 'I'},  {"UPDATE", 'U'}, {"DELETE", 'D'},
        {"REFERENCES", 'R'}, {"EXECUTE", 'X'}, {"USAGE", 'G'},
    };
    std::vector<Right> rights;
    for (const std::string& item : SplitOutsideParentheses(privileges, ',')) {
        const std::size_t open = item.find('(');
        const std::string word = UpperCase(Trim(item.substr(0, open)));
        if (word == "ALL") {
            for (const char letter : std::string("SIUDR")) rights.emplace_back(letter, "");
        } else if (open == std::string::npos) {
            rights.emplace_back(kLetters.at(word), "");
        } else {
            const std::string columns = item.substr(open + 1, item.find(')') - open - 1);
            for (const std::string& column : SplitOutsideParentheses(columns, ',')) {
                rights.emplace_back(kLetters.at(word), UpperCase(column));
            }
        }
    }
    return rights;
}

// The catalogue as the grants need it: which objects exist (by kind) and
// which rights each grantee holds.
struct Catalogue {
    std::map<std::string, std::set<std::string>> objects;  // kind -> names
    std::map<std::string, std::set<Right>> rights;         // grantee -> rights on object

    bool Exists(const std::string& kind, const std::string& name) const {
        const auto found = objects.find(kind);
        return found != objects.end() && found->second.count(name) > 0;
    }
    // True when every right of the grant is held, a column's right also by
    // the right on the whole table.
    bool Holds(const ObjectGrant& grant) const {
        const auto found = rights.find(grant.grantee);
        if (found == rights.end()) return false;
        for (const auto& [letter, column] : RightsOf(grant.privileges)) {
            const std::string onObject = grant.object + "." + column;
            const std::string onWhole = grant.object + ".";
            if (found->second.count({letter, onObject}) == 0 &&
                found->second.count({letter, onWhole}) == 0) {
                return false;
            }
        }
        return true;
    }
};

Catalogue ReadCatalogue(TDM& dm) {
    Catalogue catalogue;
    fb::Transaction transaction(dm.IBBaza);
    transaction.Start();
    CountSchemaStatements(2);
    fb::Statement objects(
        dm.IBBaza,
        "select 'TABLE', trim(rdb$relation_name) from rdb$relations "
        "where coalesce(rdb$system_flag, 0) = 0 "
        "union all select 'PROCEDURE', trim(rdb$procedure_name) from rdb$procedures "
        "union all select 'GENERATOR', trim(rdb$generator_name) from rdb$generators "
        "where coalesce(rdb$system_flag, 0) = 0 "
        "union all select 'FUNCTION', trim(rdb$function_name) from rdb$functions "
        "union all select 'TRIGGER', trim(rdb$trigger_name) from rdb$triggers "
        "where coalesce(rdb$system_flag, 0) = 0 "
        "union all select 'ROLE', trim(rdb$role_name) from rdb$roles");
    for (fb::ResultSet row = objects.Open(transaction); !row.Eof(); row.Next()) {
        catalogue.objects[Trim(row.AsString(0))].insert(row.AsString(1));
    }
    // Roles (13), procedures (5) and triggers (2) as grantees.
    fb::Statement rights(dm.IBBaza,
                         "select trim(rdb$user), rdb$privilege, trim(rdb$relation_name), "
                         "trim(coalesce(rdb$field_name, '')) from rdb$user_privileges "
                         "where rdb$user_type in (2, 5, 13)");
    for (fb::ResultSet row = rights.Open(transaction); !row.Eof(); row.Next()) {
        const std::string privilege = Trim(row.AsString(1));
        if (privilege.empty()) continue;
        catalogue.rights[row.AsString(0)].insert(
            {privilege.front(), row.AsString(2) + "." + row.AsString(3)});
    }
    transaction.Commit();
    return catalogue;
}

}  // namespace

std::string ObjectGrant::Statement() const {
    return "GRANT " + privileges + " ON " + objectKind + " " + object + " TO " + granteeKind + " " +
           grantee;
}

std::vector<ObjectGrant> RoutineGrants(const std::string& scriptName, int year) {
    std::vector<ObjectGrant> grants;
    const auto found = RoutineRights().find(scriptName);
    if (found == RoutineRights().end()) return grants;
    const std::string routine = WithYear(scriptName, year);
    for (const RoutineRight& right : found->second) {
        grants.push_back({right.privileges, right.objectKind, WithYear(right.object, year),
                          "PROCEDURE", routine});
    }
    return grants;
}

std::vector<ObjectGrant> WantedGrants(int year) {
    std::vector<ObjectGrant> grants;
    const std::vector<std::string> objects = ListaObiektow();
    for (const std::string& entry : objects) {
        if (StartsWith(entry, "C_") && entry.find("_IDX") == std::string::npos) {
            grants.push_back(ToRole("ALL", "TABLE", ScrNazwaTabeli(entry)));
        } else if (StartsWith(entry, "G_")) {
            grants.push_back(ToRole("USAGE", "GENERATOR", entry));
        } else if (StartsWith(entry, "P_")) {
            grants.push_back(ToRole("EXECUTE", "PROCEDURE", WithYear(entry, year)));
        }
    }
    // The trading program's objects the program itself reads and writes.
    grants.push_back(ToRole("SELECT", "TABLE", "GRUPYAS"));
    grants.push_back(
        ToRole("SELECT, UPDATE (KOD_KASA, ATEST)", "TABLE", "KARTAS" + std::to_string(year)));
    grants.push_back(ToRole("SELECT, INSERT, UPDATE", "TABLE", "PARAMETRY"));

    for (const std::string& entry : objects) {
        if (StartsWith(entry, "TRI_")) {
            const std::string generator = TriggerGenerator(entry);
            if (!generator.empty())
                grants.push_back({"USAGE", "GENERATOR", generator, "TRIGGER", entry});
        } else if (StartsWith(entry, "P_")) {
            for (ObjectGrant& grant : RoutineGrants(entry, year))
                grants.push_back(std::move(grant));
        }
    }
    return grants;
}

int NadajUprawnienia(TDM& dm, bool showFailures) {
    const Catalogue catalogue = ReadCatalogue(dm);
    int run = 0;
    for (const ObjectGrant& grant : WantedGrants(Clock::Today().year())) {
        if (!catalogue.Exists(grant.objectKind, grant.object) ||
            !catalogue.Exists(grant.granteeKind, grant.grantee) || catalogue.Holds(grant)) {
            continue;
        }
        ++run;
        CountSchemaStatements(1);
        const bool given = dm.RunSQLUnlessDone(
            grant.Statement(), [&] { return ReadCatalogue(dm).Holds(grant); }, !showFailures);
        if (given) WriteWorkLog("Nadane uprawnienie: " + grant.Statement());
    }
    return run;
}

}  // namespace rubso
