#include "db/schema_upgrade.h"

#include <array>
#include <string_view>

#include "core/app_state.h"
#include "core/clock.h"
#include "core/codepage.h"
#include "core/file_utils.h"
#include "core/operator.h"
#include "core/text_utils.h"
#include "core/work_log.h"
#include "db/parameter_store.h"
#include "db/schema_grants.h"
#include "db/schema_probes.h"
#include "db/schema_scripts.h"

namespace rubso {
namespace {

constexpr const char* kLocation = "GLOBAL";
constexpr const char* kSection = "RUBSA";

std::string CurrentYear() {
    return std::to_string(Clock::Today().year());
}

// `text` with the first occurrence of `from` replaced (case-sensitive).
std::string ReplaceFirst(std::string text, std::string_view from, std::string_view to) {
    const std::size_t at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

// The head of a procedure script turned from CREATE into ALTER (the first
// "CREATE" in any letter case).
void CreateToAlter(std::vector<std::string>& lines) {
    if (lines.empty()) return;
    const std::size_t at = UpperCase(lines.front()).find("CREATE");
    if (at != std::string::npos) lines.front().replace(at, 6, "ALTER");
}

// Runs the script `name` as one batch; true when it succeeded.
bool RunNamedScript(TDM& dm, const std::string& name) {
    dm.ListaScr = Skrypt(name);
    return SchemaRunScript(dm, "");
}

// COM_DEF columns that other parts read and update but the table script does
// not define. They are added here, where the upgrade adds the register's
// other late columns, so the script keeps the table as first defined.
struct LateColumn {
    const char* name;
    const char* type;  // empty: the column is in the table script
};
constexpr std::array<LateColumn, 5> kComDefColumns = {{
    {"AKTYWNY", "SMALLINT DEFAULT 1"},  // 0/1: the register takes part in the work
    {"PORT", ""},
    {"ID", ""},
    {"CENA", ""},
    {"NRSYS_KASA", "VARCHAR(20)"},  // the register's system number, shown in the title
}};

}  // namespace

bool VersionNeedsUpgrade(const std::string& storedVersion) {
    return storedVersion < std::string(kProgramVersion);
}

void GrantSchemaRights(TDM& dm) {
    // A grant in place is granted again without complaint, so a grant that
    // collides with another administrator's is simply tried again.
    for (const char* right :
         {"create table", "create generator", "create procedure", "alter any table"}) {
        CountSchemaStatements(1);
        dm.RunSQLUnlessDone(std::string("grant ") + right + " to role ADMINISTRATOR",
                            [] { return false; });
    }
}

void TestStru(TDM& dm, bool recreate) {
    BusyCursorScope cursor;
    for (const std::string& entry : ListaObiektow()) {
        if (!StartsWith(entry, "C_")) continue;
        DopiszPola(dm, entry);
        if (entry.find("_IDX") != std::string::npos) {
            DopiszIndeksy(dm, entry, recreate);
        } else {
            const std::string table = entry.substr(2, 40);
            if (DopiszTabele(dm, table) == 0) WriteWorkLog("Dopisana tabela " + table);
        }
    }
}

void TestGen(TDM& dm) {
    BusyCursorScope cursor;
    for (const std::string& entry : ListaObiektow()) {
        if (!StartsWith(entry, "G_") || JestGenerator(dm, entry)) continue;
        if (RunNamedScript(dm, entry)) WriteWorkLog("Stworzony generator " + entry);
    }
}

void TestProc(TDM& dm) {
    BusyCursorScope cursor;
    const std::array<std::string, 3> outcome = {Cp1250("Błąd przy testowaniu"), "Wymiana",
                                                "Dopisanie"};
    const std::string year = CurrentYear();
    for (const std::string& entry : ListaObiektow()) {
        if (!StartsWith(entry, "P_")) continue;
        std::string placeholder;
        if (entry.find("2009") != std::string::npos) {
            placeholder = "2009";
        } else if (entry.find("XXXX") != std::string::npos) {
            placeholder = "XXXX";
        }

        std::string name = entry;
        int code = 0;
        if (!placeholder.empty()) {
            dm.ListaScr = Skrypt(entry);
            name = ReplaceFirst(entry, placeholder, year);
            for (std::string& line : dm.ListaScr) line = ReplaceFirst(line, placeholder, year);
            if (JestProcedura(dm, name)) CreateToAlter(dm.ListaScr);
            code = SchemaRunScript(dm, "") ? 1 : 0;
        } else {
            code = WymianaProc(dm, entry);
        }
        WriteWorkLog(outcome[static_cast<std::size_t>(code)] + " " + name);
    }
}

void InneTestyBefore(TDM& dm) {
    // The read trigger and an index left by an old version. The trigger draws
    // its identifiers from G_ID_ODCZYT, which the server must know before it
    // compiles the trigger; TestGen comes only later, so on a new database
    // the generator is made here first.
    if (!JestTrigger(dm, "TRI_ODCZYT")) {
        if (!JestGenerator(dm, "G_ID_ODCZYT") && RunNamedScript(dm, "G_ID_ODCZYT")) {
            WriteWorkLog("Stworzony generator G_ID_ODCZYT");
        }
        if (RunNamedScript(dm, "TRI_ODCZYT")) WriteWorkLog("Stworzony trigger TRI_ODCZYT");
    }
    if (!JestIndeks(dm, "Paragony", "PARAGONY01")) SchemaRunSQL(dm, "drop index PARAGONY00");

    // The register table: generator, columns, trigger.
    if (!JestGenerator(dm, "G_ID_COM_DEF")) {
        dm.ListaScr = Skrypt("G_ID_COM_DEF");
        SchemaRunScr(dm, "");
    }
    for (const LateColumn& column : kComDefColumns) {
        if (JestPole(dm, "COM_DEF", column.name)) continue;
        DopiszPola(dm, "C_COM_DEF");
        if (*column.type != '\0') DopiszPole(dm, "COM_DEF", column.name, column.type);
    }
    if (!JestTrigger(dm, "TRI_COM_DEF")) RunNamedScript(dm, "TRI_COM_DEF");

    // The default registers (App().registerSlots of them): only while no row
    // waits for its active flag.
    if (Jest(dm, "select aktywny from com_def where aktywny is null")) {
        CountSchemaStatements(1);
        dm.IBQdm.SetSql("select Count(id) as ile from COM_DEF");
        dm.IBQdm.Open();
        const int count = dm.IBQdm.Row().AsInt("ile");
        if (count != App().registerSlots) {
            dm.ClearListaScr();
            for (int i = count + 1; i <= App().registerSlots; ++i) {
                const std::string n = std::to_string(i);
                dm.ListaScr.push_back(
                    "insert into COM_DEF (Port,Szybkosc,Kod_kasa,Nazwa,Rej,Kierunek,Magazyn,Kod,"
                    "VyrNrSzt,VyrNrKg, VyrNrPocz, VyrMaxKod) values(1,9600," +
                    n + "," + "'KASA " + n + "'" + "," + "0," + "''," + "''," + "0," +
                    "1,2,100,5000);");
            }
            SchemaRunScr(dm, "");
        }
        dm.CloseQ(dm.IBQdm);
    }
    SchemaRunSQL(dm, "update com_def set aktywny = 1 where aktywny is null");
    SchemaRunSQL(dm, "update com_def set aktywny = 0 where port=0");

    // Receipts: the read identifier widened, the packaging flag.
    if (TypPola(dm, "PARAGONY", "ODCZYT").charLength < 20) {
        ZmienPoleString(dm, "PARAGONY", "ODCZYT", 20);
    }
    if (!JestPole(dm, "PARAGONY", "OPAK")) {
        DopiszPole(dm, "PARAGONY", "OPAK", "Integer ");
        SchemaRunSQL(dm, "update Paragony set opak=0");
    }
    if (!JestPole(dm, "COM_DEF", "VYRIP")) DopiszPole(dm, "COM_DEF", "VYRIP", "VarChar(25)");
    if (!JestPole(dm, "COM_DEF", "VYRTYPP")) DopiszPole(dm, "COM_DEF", "VYRTYPP", "Integer ");
}

void InneTestyAfter(TDM& dm) {
    if (!Jest(dm, "select storno from PARAGONY where storno is null")) {
        SchemaRunSQL(dm, "update PARAGONY set storno=0 where storno is Null");
    }
    if (!JestTrigger(dm, "TRI_PARAGONY")) RunNamedScript(dm, "TRI_PARAGONY");
    SchemaRunSQL(dm, "update COM_DEF set VyrNrPocz=100 where VyrNrPocz is Null");
}

bool AdministratorCheck(TDM& dm, bool testowanieBazy) {
    WriteWorkLog("Sprawdzanie bazy ...");
    GrantSchemaRights(dm);

    CountSchemaStatements(1);
    std::string stored = ReadParS(dm, "wersja", "", kLocation, kSection);
    if (FileExists("Sprw.dat")) stored = "0";

    TestStru(dm, false);

    const bool upgrade = VersionNeedsUpgrade(stored) || testowanieBazy;
    if (upgrade) {
        CountSchemaStatements(2);
        WriteParS(dm, "WERSJA", kProgramVersion, kLocation, kSection);
        InneTestyBefore(dm);
        TestGen(dm);
        TestProc(dm);
        InneTestyAfter(dm);
    }
    // Last, so the objects made above get theirs too.
    NadajUprawnienia(dm, true);
    return upgrade;
}

void MainWindowSchemaPass(TDM& dm) {
    const std::string year = CurrentYear();
    dm.ClearListaScr();

    if (!JestTabela(dm, "HIST_PAR")) DopiszTabele(dm, "HIST_PAR");
    if (!JestTrigger(dm, "TRI_HIST_PAR")) {
        if (RunNamedScript(dm, "TRI_HIST_PAR")) WriteWorkLog("Stworzony trigger TRI_HIST_PAR");
    }

    if (!JestTabela(dm, "PARAGONY")) DopiszTabele(dm, "PARAGONY");
    constexpr std::array<std::array<const char*, 2>, 3> kReceiptColumns = {{
        {"DATA", "DATE"},
        {"CENA", "NUMERIC(15,4)"},
        {"UPUST", "NUMERIC(12,2)"},
    }};
    for (const auto& [column, type] : kReceiptColumns) {
        if (!JestPole(dm, "PARAGONY", column)) DopiszPole(dm, "PARAGONY", column, type);
    }
    if (!JestGenerator(dm, "G_ID_PARAGONY")) {
        if (RunNamedScript(dm, "G_ID_PARAGONY")) {
            WriteWorkLog("Stworzony generator G_ID_PARAGONY");
        }
    }
    if (!JestTrigger(dm, "TRI_PARAGONY")) {
        if (RunNamedScript(dm, "TRI_PARAGONY")) WriteWorkLog("Stworzony trigger TRI_PARAGONY");
    }

    if (!JestProcedura(dm, "P_ZAPISZ_WZ_KASY" + year)) {
        dm.ListaScr = Skrypt("P_ZAPISZ_WZ_KASY2009");
        for (std::string& line : dm.ListaScr) line = ReplaceAll(line, "2009", year);
        SchemaRunScript(dm, "");
    }

    const std::string goodsTable = "Kartas" + year;
    const std::string index = "idx_As" + year + "KodKasa";
    if (!JestIndeks(dm, goodsTable, index)) {
        SchemaRunSQL(dm, "CREATE INDEX " + index + " ON " + goodsTable + "(KOD_KASA)");
    }

    // The year's procedure made above, and a goods table the trading program
    // made for a new year, get their grants. Only the administrator can give
    // them all; a cashier's pass logs what it could not give.
    NadajUprawnienia(dm, App().dbUser == kAdministratorUser);
}

}  // namespace rubso
