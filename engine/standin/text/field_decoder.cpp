// Field decoding for the text driver: code page 936 through the platform's
// decoder, UTF-8 passed through, checked where the connection named it.
#include "engine/standin/text/field_decoder.h"

#include "platform/codepage.h"

namespace dt::engine::standin {
namespace {

// Calls `take(bytes, well_formed)` for each character of `utf8` in turn, a
// malformed sequence being one.
template <typename Take>
void ForEachUtf8Character(std::string_view utf8, Take take) {
  char32_t code_point;
  while (!utf8.empty()) {
    std::size_t length = platform::DecodeUtf8Character(utf8, code_point);
    const bool well_formed = length != 0;
    if (!well_formed) length = platform::MalformedUtf8Length(utf8);
    take(utf8.substr(0, length), well_formed);
    utf8.remove_prefix(length);
  }
}

}  // namespace

FieldDecoder::FieldDecoder(Mode mode) : mode_(mode) {}

bool FieldDecoder::NeedsDecoding(std::string_view bytes) const {
  switch (mode_) {
    case Mode::kAsIs:
      return false;
    case Mode::kCodePage936:
      return !platform::IsAscii(bytes);
    case Mode::kUncheckedUtf8:
      return !platform::IsAscii(bytes) && !platform::IsValidUtf8(bytes);
  }
  return false;
}

std::size_t FieldDecoder::SizeBound(std::string_view bytes) const {
  if (mode_ == Mode::kCodePage936) return platform::AnsiToUtf8SizeBound(bytes);
  std::size_t size = 0;
  ForEachUtf8Character(bytes, [&](std::string_view character, bool well_formed) {
    size += well_formed ? character.size() : 1;
  });
  return size;
}

void FieldDecoder::Append(std::string_view bytes, std::string& out) {
  if (mode_ == Mode::kCodePage936) {
    ansi_.Append(bytes, out);
    return;
  }
  ForEachUtf8Character(bytes, [&](std::string_view character, bool well_formed) {
    if (well_formed) {
      out.append(character);
    } else {
      out.push_back('?');
    }
  });
}

}  // namespace dt::engine::standin
