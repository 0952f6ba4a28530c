#include "tests/support/trading_fixture.h"

namespace rubso::test {

void CreateParametryTable(const FbTestDatabase& database) {
    database.Execute(
        {"CREATE TABLE PARAMETRY ("
         "LOKALIZACJA VARCHAR(40), "
         "SEKCJA VARCHAR(40), "
         "NAZWA VARCHAR(60), "
         "pDATA TIMESTAMP, "
         "pFLOAT DOUBLE PRECISION, "
         "pINTEGER INTEGER, "
         "pSTRING VARCHAR(250))"});
}

}  // namespace rubso::test
