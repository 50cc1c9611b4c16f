// The text driver's import: one text file of a text data source becomes a
// new table of a work database, every column TEXT, in one transaction.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/standin/store/sqlite_db.h"
#include "platform/encoding_detection.h"

namespace dt::engine::standin {

// What the host's text driver reads at most: fields of a header, and bytes
// of one record.
inline constexpr std::size_t kMostTextFields = 255;
inline constexpr std::size_t kMostTextRecordBytes = 65000;

// Imports the file at `file_path` (UTF-8) into `target` as table `table`,
// with the columns of its header line and one row per record; an empty field
// is NULL. The file is read in `character_set` (kDetect: as its bytes tell). Returns the number of
// rows. Raises engine::Error:
//  - kAlreadyExists when the table exists ("Table 'T' already exists");
//  - the reader's error when the file cannot be opened or read;
//  - kTextFormat, at TextStep::kFindHeader, for a file without a line;
//  - kTooComplex for a header of more than kMostTextFields fields, or a
//    record of more than kMostTextRecordBytes bytes, as the host's driver;
//  - for a header or a record that cannot be stored, the cause's kind and
//    description at the record's line and offset (TextStep::kImportHeader,
//    kImportLine): a full disk stays kIo.
// On failure the target is left as it was: no table, no rows.
std::int64_t ImportTextFile(Database& target, const std::string& table,
                            const std::string& file_path,
                            platform::CharacterSet character_set = platform::CharacterSet::kDetect);

}  // namespace dt::engine::standin
