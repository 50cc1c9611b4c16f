// What code page 936 and UTF-8 are, whatever converts between them: the
// lead bytes, the user-defined ranges and their private use code points,
// and well-formed UTF-8. Both platforms' conversions rest on these.
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

bool IsValidUtf8(std::string_view text) noexcept {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p < end) {
    const unsigned char c = *p;
    if (c < 0x80) {
      ++p;
      continue;
    }
    size_t n;
    unsigned cp;
    if (c >= 0xC2 && c <= 0xDF) {
      n = 1;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      n = 2;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      n = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (static_cast<size_t>(end - p) <= n) return false;
    for (size_t i = 1; i <= n; ++i) {
      if ((p[i] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (p[i] & 0x3F);
    }
    if ((n == 2 && cp < 0x800) || (n == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF)) {
      return false;
    }
    p += n + 1;
  }
  return true;
}

}  // namespace dt::platform
