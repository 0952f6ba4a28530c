#pragma once
// The trading program's side of the shared database, made by the tests the
// way that program makes it: the objects this system reads or writes but
// never creates. The one home of that side; later areas add their tables.

#include "tests/support/fb_test_server.h"

namespace rubso::test {

// The parameter table PARAMETRY, empty, with the column names and kinds the
// parameter store binds to. No key: the trading program keeps one row per
// key triple by the way it writes.
void CreateParametryTable(const FbTestDatabase& database);

}  // namespace rubso::test
