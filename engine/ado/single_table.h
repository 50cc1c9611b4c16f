// Which queries read the rows of one table as they are stored.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace dt::engine::ado {

// The table of "SELECT * FROM <table>" (keywords in any letter case, any
// white space between and around the words, the name bare or in brackets);
// nullopt for any other statement.
std::optional<std::string> SingleTableOf(std::string_view sql);

}  // namespace dt::engine::ado
