// The text data source: statements on a folder of text files.
#include "engine/standin/text_source.h"

#include <filesystem>
#include <system_error>

#include "engine/error.h"
#include "engine/standin/connection_string.h"
#include "engine/jetsql/parser.h"
#include "engine/jetsql/select_analysis.h"
#include "engine/standin/text/text_import.h"
#include "platform/codepage.h"
#include "platform/file_io.h"
#include "platform/files.h"

namespace dt::engine::standin {
namespace {

constexpr char kSchemaFile[] = "schema.ini";

using platform::EqualIgnoringAsciiCase;
using platform::PathOf;
using platform::Utf8Of;

// The bytes of the file at `utf8_path`, read through the platform's file
// layer as every file the engine reads. Raises an I/O failure naming it.
std::string ReadWholeFile(const std::string& utf8_path) {
  platform::InputFile in;
  std::string bytes;
  char block[16384];
  std::size_t count = 0;
  bool read = in.Open(platform::Utf8ToAnsi(utf8_path));
  while (read && (read = in.Read(block, sizeof block, &count)) && count > 0) {
    bytes.append(block, count);
  }
  if (!read) {
    throw Error(ErrorKind::kIo, "Cannot read '" + utf8_path + "': " +
                                    platform::AnsiToUtf8(platform::SystemErrorText(in.error())));
  }
  return bytes;
}

}  // namespace

TextSource::TextSource(std::string folder, platform::CharacterSet character_set,
                       ImportTarget& target)
    : folder_(std::move(folder)), character_set_(character_set), target_(target) {
  std::error_code error;
  if (!std::filesystem::is_directory(PathOf(folder_), error)) {
    throw Error(ErrorKind::kNotFound,
                "'" + folder_ + "' is not a valid path: the folder does not exist");
  }
}

std::optional<std::string> TextSource::LookUp(const std::string& name) const {
  const std::filesystem::path folder = PathOf(folder_);
  // A file of the folder itself: a name that climbs out of it, or that a
  // zero byte would cut short, names none.
  if (name.find_first_of(std::string_view("/\\\0", 3)) != std::string::npos) {
    throw Error(ErrorKind::kNotFound, "Could not find file '" + name.substr(0, name.find('\0')) +
                                          "' in the text folder '" + folder_ + "'");
  }
  std::error_code error;
  if (std::filesystem::is_regular_file(folder / PathOf(name), error)) {
    return Utf8Of(folder / PathOf(name));
  }
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    const std::string entry = Utf8Of(it->path().filename());
    if (EqualIgnoringAsciiCase(entry, name) && it->is_regular_file(error)) {
      return Utf8Of(it->path());
    }
  }
  return std::nullopt;
}

std::string TextSource::FindFile(const std::string& name) const {
  if (std::optional<std::string> path = LookUp(name)) return *path;
  throw Error(ErrorKind::kNotFound,
              "Could not find file '" + Utf8Of(PathOf(folder_) / PathOf(name)) + "'");
}

platform::CharacterSet TextSource::CharacterSetOf(const std::string& name) const {
  const std::optional<std::string> schema_path = LookUp(kSchemaFile);
  if (!schema_path) return character_set_;
  const std::string schema = ReadWholeFile(*schema_path);
  // Written in the ANSI code page, as the provider reads it.
  return SchemaCharacterSet(platform::AnsiToUtf8(schema), name).value_or(character_set_);
}

std::int64_t TextSource::Import(std::string_view sql) {
  const std::optional<ImportReading> import = ImportOf(Parse(sql));
  if (!import) throw Error(ErrorKind::kUnsupported, kOnlyImport);
  const std::string file = FindFile(import->file);
  Database& target = target_.Open(import->database);
  const std::int64_t rows =
      ImportTextFile(target, import->table, file, CharacterSetOf(import->file));
  // The pages the import cached are of no use to the next file's: memory
  // stays what one import needs while the database stays open.
  sqlite3_db_release_memory(target.get());
  return rows;
}

}  // namespace dt::engine::standin
