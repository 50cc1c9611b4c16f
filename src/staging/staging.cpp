// Staging one source file: read the source once, write its staged copy
// once, with the header line in place of the first line, and tell its
// encoding, header and long columns from the staged bytes as they pass.
#include "src/staging/staging.h"

#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/file_io.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "src/staging/background_writer.h"
#include "src/staging/catalogue.h"
#include "src/staging/staged_text.h"
#include "src/staging/text_utils.h"

namespace dt {
namespace {

constexpr std::size_t kBlock = std::size_t{1} << 20;

Exception CopyError(const std::string& source, const std::string& staged,
                    std::string_view system_text) {
  return Exception(
      FillTemplate("Cannot copy file \"%s\" to \"%s\". %s", {source, staged, system_text}));
}

Exception CopyError(const std::string& source, const std::string& staged, int error_code) {
  return CopyError(source, staged, platform::SystemErrorText(error_code));
}

EFCreateError CreateError(const std::string& staged, int error_code) {
  return EFCreateError(
      FillTemplate("Cannot create file \"%s\". %s",
                   {platform::AbsolutePath(staged), platform::SystemErrorText(error_code)}));
}

// "Stream write error", and the system's reason (a full disk, a file too
// large) when it gives one.
EWriteError WriteError(int error_code) {
  if (error_code == 0) return EWriteError("Stream write error");
  return EWriteError("Stream write error. " + platform::SystemErrorText(error_code));
}

platform::CharacterSet CharacterSetOf(SourceEncoding encoding) {
  switch (encoding) {
    case SourceEncoding::kCodePage936:
      return platform::CharacterSet::kCodePage936;
    case SourceEncoding::kUtf8:
      return platform::CharacterSet::kUtf8;
    case SourceEncoding::kAuto:
      break;
  }
  return platform::CharacterSet::kDetect;
}

// A known table's join key longer than the host engine's Text field would
// be imported as a Memo field, on which that engine cannot join: refused
// before the file is imported, rather than failing the derived tables on
// one engine and not the other.
void RefuseLongJoinKeys(const std::string& source_path, const ColumnScan::Columns& scanned) {
  const CatalogueEntry* entry = CatalogueEntryFor(FileNamePart(source_path));
  if (entry == nullptr || !scanned.header_fields) return;
  const std::vector<std::string>& fields = *scanned.header_fields;
  for (std::size_t i = 0; i < fields.size() && i < scanned.first_long_values.size(); ++i) {
    const std::optional<ColumnScan::LongValue>& value = scanned.first_long_values[i];
    if (!value) continue;
    for (const std::string& key : entry->join_keys) {
      if (!Equal(fields[i], key)) continue;
      const std::string length = value->characters != 0
                                     ? std::to_string(value->characters) + " characters"
                                     : std::to_string(value->bytes) + " bytes";
      throw Exception(FillTemplate(
          "\"%s\", line %s: the %s value is %s long; the tables are joined on %s, which "
          "holds at most %s characters",
          {source_path, std::to_string(value->line), key, length, key,
           std::to_string(kTextCharacters)}));
    }
  }
}

}  // namespace

StagedFile StageFile(const std::string& source_path, const std::string& staging_directory,
                     SourceEncoding encoding) {
  const std::string file_name = FileNamePart(source_path);
  const std::string staged_path = staging_directory + file_name;

  platform::InputFile source;
  if (!source.Open(source_path)) throw CopyError(source_path, staged_path, source.error());
  // A source folder that is the staging folder itself: staging would
  // overwrite the export it reads, so the copy fails as it does on Windows.
  if (platform::SameFile(source_path, staged_path)) {
    throw CopyError(source_path, staged_path, "Source and target are the same file");
  }
  platform::OutputFile staged;
  if (!staged.Create(staged_path)) throw CreateError(staged_path, staged.error());

  platform::EncodingDetector detector(CharacterSetOf(encoding));
  bool detecting = true;
  ColumnScan columns;
  BackgroundWriter background(staged);
  StagedTextWriter writer(HeaderLineFor(file_name), [&](std::string_view bytes) {
    if (!background.Write(bytes)) throw WriteError(staged.error());
    detecting = detecting && detector.Feed(bytes);
    columns.Take(bytes);
  });
  std::vector<char> block(kBlock);
  for (;;) {
    std::size_t count = 0;
    if (!source.Read(block.data(), block.size(), &count)) {
      throw CopyError(source_path, staged_path, source.error());
    }
    if (count == 0 || !writer.Feed(std::string_view(block.data(), count))) break;
  }
  writer.Finish();
  if (!background.Finish()) throw WriteError(staged.error());
  // ASCII alone is told code page 936, the provider's own reading, which
  // does not rest on how it takes 65001.
  const platform::DetectedEncoding detected = detector.Finish();
  const platform::TextEncoding staged_encoding =
      detected.ascii ? platform::TextEncoding::kCodePage936 : detected.encoding;
  ColumnScan::Columns scanned = std::move(columns).Finish(staged_encoding);
  RefuseLongJoinKeys(source_path, scanned);
  if (!staged.Commit()) throw CreateError(staged_path, staged.error());
  return StagedFile{file_name, std::move(scanned.header_fields), staged_encoding,
                    std::move(scanned.long_columns)};
}

void WriteStagedFile(const std::string& path, std::string_view bytes) {
  platform::OutputFile file;
  if (!file.Create(path)) throw CreateError(path, file.error());
  if (!file.Write(bytes)) throw WriteError(file.error());
  if (!file.Commit()) throw CreateError(path, file.error());
}

}  // namespace dt
