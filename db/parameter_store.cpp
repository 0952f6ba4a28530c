#include "db/parameter_store.h"

#include <functional>

#include "core/codepage.h"
#include "core/text_utils.h"
#include "core/work_log.h"

namespace rubso {
namespace {

// The statement texts of one value kind. The select and update texts spell
// the column as the trading program's own statements do ("pInteger"); the
// insert text in capitals.
struct ValueKind {
    const char* column;        // in select and update
    const char* insertColumn;  // in insert
    const char* writeOperation;
};

constexpr ValueKind kText{"pString", "pSTRING", "WriteParS"};
constexpr ValueKind kInteger{"pInteger", "pINTEGER", "WriteParI"};
constexpr ValueKind kFloat{"pFLOAT", "pFLOAT", "WriteParF"};
constexpr ValueKind kDate{"pDATA", "pDATA", "WriteParD"};

constexpr const char* kKeyCondition = " where LOKALIZACJA=:l and Sekcja=:s and NAZWA=:n";

std::string ProbeSql() {
    return std::string("select * from PARAMETRY") + kKeyCondition;
}

std::string ReadSql(const ValueKind& kind) {
    return std::string("select ") + kind.column + " from PARAMETRY" + kKeyCondition;
}

std::string UpdateSql(const ValueKind& kind) {
    return std::string("update PARAMETRY set ") + kind.column + "=:p" + kKeyCondition;
}

std::string InsertSql(const ValueKind& kind) {
    return std::string("insert into PARAMETRY (") + kind.insertColumn +
           ",LOKALIZACJA,SEKCJA,NAZWA) Values( :p, :l, :s, :n) ";
}

void BindKeys(Query& query, const std::string& name, const std::string& location,
              const std::string& section) {
    query.SetParamString("l", UpperCase(location));
    query.SetParamString("s", UpperCase(section));
    query.SetParamString("n", UpperCase(name));
}

// Opens the kind's read statement on IBQdm; the caller reads the first row
// (if any) and closes with CloseQ.
void OpenRead(TDM& dm, const ValueKind& kind, const std::string& name, const std::string& location,
              const std::string& section) {
    dm.IBQdm.Close();
    dm.IBQdm.SetSql(ReadSql(kind));
    BindKeys(dm.IBQdm, name, location, section);
    dm.IBQdm.Open();
}

template <typename T, typename Reader>
T Read(TDM& dm, const ValueKind& kind, const std::string& name, const T& fallback,
       const std::string& location, const std::string& section, Reader read) {
    OpenRead(dm, kind, name, location, section);
    T result = dm.IBQdm.Eof() ? fallback : read(dm.IBQdm.Row());
    dm.CloseQ(dm.IBQdm);
    return result;
}

void Write(TDM& dm, const ValueKind& kind, const std::string& name,
           const std::function<void(Query&)>& bindValue, const std::string& location,
           const std::string& section) {
    const std::string trimmed = Trim(name);
    dm.IBQdm.Close();
    const bool exists = JestPar(dm, trimmed, location, section);  // its failure raises
    dm.IBQdm.SetSql(exists ? UpdateSql(kind) : InsertSql(kind));
    BindKeys(dm.IBQdm, trimmed, location, section);
    bindValue(dm.IBQdm);
    SetErrorContext("dm", kind.writeOperation, trimmed);
    try {
        dm.IBQdm.ExecSql();
        dm.CloseTran(dm.IBQdm);
    } catch (const fb::FbError&) {
        // A parameter that cannot be written keeps its old value; the
        // operator is not bothered with it.
        dm.IBTdm.RollbackIfActive();
    }
}

}  // namespace

bool JestPar(TDM& dm, const std::string& name, const std::string& location,
             const std::string& section) {
    dm.IBQdm.Close();
    dm.IBQdm.SetSql(ProbeSql());
    BindKeys(dm.IBQdm, name, location, section);
    dm.IBQdm.Open();
    const bool found = !dm.IBQdm.Eof();
    dm.CloseQ(dm.IBQdm);
    return found;
}

std::string ReadParS(TDM& dm, const std::string& name, const std::string& fallback,
                     const std::string& location, const std::string& section) {
    return Read(dm, kText, name, fallback, location, section,
                [](const fb::ResultSet& row) { return row.AsString(0); });
}

std::int32_t ReadParI(TDM& dm, const std::string& name, std::int32_t fallback,
                      const std::string& location, const std::string& section) {
    return Read(dm, kInteger, name, fallback, location, section,
                [](const fb::ResultSet& row) { return row.AsInt(0); });
}

double ReadParF(TDM& dm, const std::string& name, double fallback, const std::string& location,
                const std::string& section) {
    return Read(dm, kFloat, name, fallback, location, section,
                [](const fb::ResultSet& row) { return row.AsDouble(0); });
}

QDateTime ReadParD(TDM& dm, const std::string& name, const QDateTime& fallback,
                   const std::string& location, const std::string& section) {
    return Read(dm, kDate, name, fallback, location, section,
                [](const fb::ResultSet& row) { return row.AsDateTime(0); });
}

void WriteParS(TDM& dm, const std::string& name, const std::string& value,
               const std::string& location, const std::string& section) {
    Write(
        dm, kText, name, [&](Query& q) { q.SetParamString("p", value); }, location, section);
}

void WriteParI(TDM& dm, const std::string& name, std::int32_t value, const std::string& location,
               const std::string& section) {
    Write(
        dm, kInteger, name, [&](Query& q) { q.SetParamInt("p", value); }, location, section);
}

void WriteParF(TDM& dm, const std::string& name, double value, const std::string& location,
               const std::string& section) {
    Write(
        dm, kFloat, name, [&](Query& q) { q.SetParamDouble("p", value); }, location, section);
}

void WriteParD(TDM& dm, const std::string& name, const QDateTime& value,
               const std::string& location, const std::string& section) {
    Write(
        dm, kDate, name, [&](Query& q) { q.SetParamDate("p", value.date()); }, location, section);
}

}  // namespace rubso
