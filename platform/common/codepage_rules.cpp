// What code page 936 and UTF-8 are, whatever converts between them: the
// lead bytes, the user-defined ranges and their private use code points,
// well-formed UTF-8, and the ASCII rules both hold to. Both platforms'
// conversions rest on these.
#include "platform/codepage.h"

namespace dt::platform {

char32_t UserDefinedToUnicode(unsigned char lead, unsigned char trail) noexcept {
  if (lead >= 0xAA && lead <= 0xAF && trail >= 0xA1 && trail <= 0xFE) {
    return 0xE000 + (lead - 0xAA) * 94 + (trail - 0xA1);
  }
  if (lead >= 0xF8 && lead <= 0xFE && trail >= 0xA1 && trail <= 0xFE) {
    return 0xE234 + (lead - 0xF8) * 94 + (trail - 0xA1);
  }
  if (lead >= 0xA1 && lead <= 0xA7 && trail >= 0x40 && trail <= 0xA0 && trail != 0x7F) {
    return 0xE4C6 + (lead - 0xA1) * 96 + (trail < 0x7F ? trail - 0x40 : trail - 0x41);
  }
  return 0;
}

bool UnicodeToUserDefined(char32_t cp, unsigned char& lead, unsigned char& trail) noexcept {
  if (cp >= 0xE000 && cp < 0xE234) {
    lead = static_cast<unsigned char>(0xAA + (cp - 0xE000) / 94);
    trail = static_cast<unsigned char>(0xA1 + (cp - 0xE000) % 94);
  } else if (cp >= 0xE234 && cp < 0xE4C6) {
    lead = static_cast<unsigned char>(0xF8 + (cp - 0xE234) / 94);
    trail = static_cast<unsigned char>(0xA1 + (cp - 0xE234) % 94);
  } else if (cp >= 0xE4C6 && cp <= 0xE765) {
    const unsigned index = (cp - 0xE4C6) % 96;
    lead = static_cast<unsigned char>(0xA1 + (cp - 0xE4C6) / 96);
    trail = static_cast<unsigned char>(index < 63 ? 0x40 + index : 0x41 + index);
  } else {
    return false;
  }
  return true;
}

bool IsAnsiLeadByte(unsigned char byte) noexcept { return byte >= 0x81 && byte <= 0xFE; }

std::size_t AnsiCharacterLength(std::string_view ansi) noexcept {
  if (ansi.size() >= 2 && IsAnsiLeadByte(static_cast<unsigned char>(ansi[0]))) {
    const auto trail = static_cast<unsigned char>(ansi[1]);
    if (trail >= 0x40 && trail != 0x7F && trail != 0xFF) return 2;
  }
  return ansi.empty() ? 0 : 1;
}

std::size_t AnsiToUtf8SizeBound(std::string_view ansi) noexcept {
  const char* p = ansi.data();
  const char* const end = p + ansi.size();
  std::size_t size = ansi.size();
  while (p < end) {
    if (static_cast<unsigned char>(*p) < 0x80) {
      ++p;
    } else if (AnsiCharacterLength(std::string_view(p, end - p)) == 2) {
      size += 1;
      p += 2;
    } else {
      size += 2;
      ++p;
    }
  }
  return size;
}

std::size_t DecodeUtf8Character(std::string_view text, char32_t& code_point) noexcept {
  if (text.empty()) return 0;
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const unsigned char c = p[0];
  if (c < 0x80) {
    code_point = c;
    return 1;
  }
  std::size_t length;
  char32_t cp;
  if (c >= 0xC2 && c <= 0xDF) {
    length = 2;
    cp = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    length = 3;
    cp = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    length = 4;
    cp = c & 0x07;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (p[i] & 0x3F);
  }
  if ((length == 3 && cp < 0x800) || (length == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
      (cp >= 0xD800 && cp <= 0xDFFF)) {
    return 0;
  }
  code_point = cp;
  return length;
}

std::size_t MalformedUtf8Length(std::string_view text) noexcept {
  std::size_t length = text.empty() ? 0 : 1;
  while (length < 4 && length < text.size() &&
         (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
    ++length;
  }
  return length;
}

std::string AsciiUpperCase(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = AsciiUpper(c);
  return result;
}

std::string AsciiLowerCase(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = AsciiLower(c);
  return result;
}

bool AnsiEqualIgnoringAsciiCase(std::string_view a, std::string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (IsAnsiLeadByte(static_cast<unsigned char>(a[i])) && i + 1 < a.size()) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      ++i;
    } else if (AsciiUpper(a[i]) != AsciiUpper(b[i])) {
      return false;
    }
  }
  return true;
}

std::string_view Trim(std::string_view text) noexcept {
  auto low = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  while (!text.empty() && low(text.front())) text.remove_prefix(1);
  while (!text.empty() && low(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view TrimSpacesAndTabs(std::string_view text) noexcept {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

bool IsValidUtf8(std::string_view text) noexcept {
  char32_t code_point;
  while (!text.empty()) {
    const std::size_t length = DecodeUtf8Character(text, code_point);
    if (length == 0) return false;
    text.remove_prefix(length);
  }
  return true;
}

}  // namespace dt::platform
