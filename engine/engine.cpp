// The checks every engine makes before it writes a snapshot row back.
#include "engine/engine.h"

#include "engine/error.h"

namespace dt::engine {

bool KeyFindsItsRow(std::string_view key) {
  std::size_t end = key.size();
  while (end > 0 && key[end - 1] == ' ') --end;
  auto kept = [](char c) { return static_cast<unsigned char>(c) > 32; };
  return end == 0 || (kept(key.front()) && kept(key[end - 1]));
}

void RequireWritableRow(const Snapshot& snapshot, std::size_t row,
                        const std::vector<Change>& changes) {
  if (snapshot.table.empty() || snapshot.row_ids.size() != snapshot.rows.size()) {
    throw Error(ErrorKind::kInvalidArgument,
                "The rows cannot be updated: they do not come from a single table");
  }
  if (row >= snapshot.rows.size()) {
    throw Error(ErrorKind::kInvalidArgument, "Row " + std::to_string(row) +
                                                 " is out of range: the snapshot has " +
                                                 std::to_string(snapshot.rows.size()) + " rows");
  }
  for (const Change& change : changes) {
    if (change.column >= snapshot.columns.size()) {
      throw Error(ErrorKind::kInvalidArgument,
                  "Field number " + std::to_string(change.column) + " is out of range");
    }
  }
}

}  // namespace dt::engine
