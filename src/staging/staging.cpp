// Staging one source file: read the source once, write its staged copy
// once, with the header line in place of the first line.
#include "src/staging/staging.h"

#include <string_view>
#include <vector>

#include "platform/errors.h"
#include "platform/file_io.h"
#include "platform/files.h"
#include "platform/paths.h"
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

}  // namespace

std::string StageFile(const std::string& source_path, const std::string& staging_directory) {
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

  StagedTextWriter writer(HeaderLineFor(file_name), [&staged](std::string_view bytes) {
    if (!staged.Write(bytes)) throw EWriteError("Stream write error");
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
  if (!staged.Commit()) throw CreateError(staged_path, staged.error());
  return file_name;
}

}  // namespace dt
