#pragma once
// Table and column names a test knows to be plain, for the functions that
// take only checked names (core/sql_identifier.h).

#include <string_view>

#include "core/sql_identifier.h"

namespace rubso::test {

inline SqlIdentifier Name(std::string_view name) {
    return SqlIdentifier::Require(name, "w teście");
}

}  // namespace rubso::test
