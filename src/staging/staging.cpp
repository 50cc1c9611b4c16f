// Staging one source file: read the source once, write its staged copy
// once, with the header line in place of the first line, and tell its
// encoding and header line from the staged bytes as they pass.
#include "src/staging/staging.h"

#include <algorithm>
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

// Keeps the first line of the staged text that is not empty as the text
// streams past; lines of the staged text hold no CR or LF.
class HeaderKeeper {
 public:
  void Take(std::string_view bytes) {
    while (!done_ && !bytes.empty()) {
      const std::size_t end = std::min(bytes.find_first_of("\r\n"), bytes.size());
      line_.append(bytes.substr(0, end));
      if (line_.size() > kLongestHeaderLine) {
        too_long_ = done_ = true;
        line_ = std::string();
        return;
      }
      if (end == bytes.size()) return;  // the line goes on in the next bytes
      done_ = !line_.empty();
      bytes.remove_prefix(end + 1);
    }
  }

  // The line, a UTF-8 file's byte-order mark left out; nullopt when too long.
  std::optional<std::string> Line(platform::TextEncoding encoding) && {
    if (too_long_) return std::nullopt;
    constexpr std::string_view kMark = "\xEF\xBB\xBF";
    if (encoding == platform::TextEncoding::kUtf8 && line_.starts_with(kMark)) {
      line_.erase(0, kMark.size());
    }
    return std::move(line_);
  }

 private:
  std::string line_;
  bool done_ = false;
  bool too_long_ = false;
};

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
  HeaderKeeper header;
  StagedTextWriter writer(HeaderLineFor(file_name), [&](std::string_view bytes) {
    detecting = detecting && detector.Feed(bytes);
    header.Take(bytes);
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
  // ASCII alone is told code page 936, the provider's own reading, which
  // does not rest on how it takes 65001.
  const platform::DetectedEncoding detected = detector.Finish();
  const platform::TextEncoding staged_encoding =
      detected.ascii ? platform::TextEncoding::kCodePage936 : detected.encoding;
  return StagedFile{file_name, std::move(header).Line(staged_encoding), staged_encoding};
}

void WriteStagedFile(const std::string& path, std::string_view bytes) {
  platform::OutputFile file;
  if (!file.Create(path)) throw CreateError(path, file.error());
  if (!file.Write(bytes)) throw EWriteError("Stream write error");
  if (!file.Commit()) throw CreateError(path, file.error());
}

}  // namespace dt
