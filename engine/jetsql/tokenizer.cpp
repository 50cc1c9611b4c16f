// The tokenizer of the engine's Jet SQL translator. It works on bytes: UTF-8
// sequences (bytes >= 0x80) belong to words, so names in any script pass.
#include "engine/jetsql/tokenizer.h"

#include <array>

#include "engine/error.h"
#include "platform/codepage.h"

namespace dt::engine {
namespace {

// What a byte can be part of. A fixed table rather than <cctype>, whose
// answers for bytes >= 0x80 follow the locale that the host program has set.
enum ByteClass : unsigned char {
  kSpace = 1,  // separates tokens
  kDigit = 2,  // 0-9, the digits of a number
  kWord = 4,   // belongs to a bare word: letters, digits, '_', '$', any byte >= 0x80
};

constexpr std::array<unsigned char, 256> kByteClasses = [] {
  std::array<unsigned char, 256> table{};
  for (int c = 'A'; c <= 'Z'; ++c) table[c] = kWord;
  for (int c = 'a'; c <= 'z'; ++c) table[c] = kWord;
  for (int c = '0'; c <= '9'; ++c) table[c] = kWord | kDigit;
  for (int c = 0x80; c <= 0xFF; ++c) table[c] = kWord;
  table['_'] = kWord;
  table['$'] = kWord;
  for (char c : {' ', '\t', '\r', '\n'}) table[static_cast<unsigned char>(c)] = kSpace;
  return table;
}();

bool Is(char c, ByteClass byte_class) {
  return (kByteClasses[static_cast<unsigned char>(c)] & byte_class) != 0;
}

// A character for a message: quoted when printable, else as a byte value,
// so that a control character or a zero byte cannot garble the message.
std::string Shown(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte >= 0x20 && byte < 0x7F) return "'" + std::string(1, c) + "'";
  static constexpr char kHex[] = "0123456789ABCDEF";
  return std::string("byte 0x") + kHex[byte >> 4] + kHex[byte & 0xF];
}

std::string Where(std::size_t offset) { return " at position " + std::to_string(offset + 1); }

class Scanner {
 public:
  explicit Scanner(std::string_view sql) : sql_(sql) {}

  std::vector<Token> Run() {
    std::vector<Token> tokens;
    while (true) {
      SkipSpace();
      if (pos_ >= sql_.size()) break;
      tokens.push_back(Next());
    }
    tokens.push_back(Token{TokenKind::kEnd, "", sql_.size(), {}});
    return tokens;
  }

 private:
  void SkipSpace() {
    while (pos_ < sql_.size() && Is(sql_[pos_], kSpace)) ++pos_;
  }

  Token Make(TokenKind kind, std::string text, std::size_t start) {
    return Token{kind, std::move(text), start, sql_.substr(start, pos_ - start)};
  }

  Token Next() {
    const std::size_t start = pos_;
    const char c = sql_[pos_];
    if (c == '\'' || c == '"') return QuotedString(start, c);
    if (c == '[') return Delimited(start, ']', TokenKind::kBracketName, "name in brackets");
    if (c == '#') return Delimited(start, '#', TokenKind::kDate, "date literal");
    if (Is(c, kDigit)) return Number(start);
    if (Is(c, kWord)) {
      while (pos_ < sql_.size() && Is(sql_[pos_], kWord)) ++pos_;
      return Make(TokenKind::kWord, std::string(sql_.substr(start, pos_ - start)), start);
    }
    if (c == '<' || c == '>') {
      ++pos_;
      if (pos_ < sql_.size() && (sql_[pos_] == '=' || (c == '<' && sql_[pos_] == '>'))) ++pos_;
      return Make(TokenKind::kSymbol, std::string(sql_.substr(start, pos_ - start)), start);
    }
    static constexpr std::string_view kSingles = "(),.*+-/\\&=^;";
    if (kSingles.find(c) != std::string_view::npos) {
      ++pos_;
      return Make(TokenKind::kSymbol, std::string(1, c), start);
    }
    throw Error(ErrorKind::kSyntax,
                "Syntax error: unexpected character " + Shown(c) + Where(start));
  }

  Token QuotedString(std::size_t start, char quote) {
    std::string value;
    ++pos_;
    while (true) {
      if (pos_ >= sql_.size()) {
        throw Error(ErrorKind::kSyntax,
                    "Syntax error: unterminated string literal starting" + Where(start));
      }
      if (sql_[pos_] == quote) {
        if (pos_ + 1 < sql_.size() && sql_[pos_ + 1] == quote) {
          value += quote;
          pos_ += 2;
          continue;
        }
        ++pos_;
        return Make(TokenKind::kString, std::move(value), start);
      }
      value += sql_[pos_++];
    }
  }

  Token Delimited(std::size_t start, char close, TokenKind kind, const char* what) {
    const std::size_t end = sql_.find(close, start + 1);
    if (end == std::string_view::npos) {
      throw Error(ErrorKind::kSyntax,
                  std::string("Syntax error: unterminated ") + what + " starting" + Where(start));
    }
    pos_ = end + 1;
    return Make(kind, std::string(sql_.substr(start + 1, end - start - 1)), start);
  }

  Token Number(std::size_t start) {
    while (pos_ < sql_.size() && Is(sql_[pos_], kDigit)) ++pos_;
    if (pos_ + 1 < sql_.size() && sql_[pos_] == '.' && Is(sql_[pos_ + 1], kDigit)) {
      ++pos_;
      while (pos_ < sql_.size() && Is(sql_[pos_], kDigit)) ++pos_;
    }
    if (pos_ < sql_.size() && (sql_[pos_] == 'e' || sql_[pos_] == 'E')) {
      std::size_t p = pos_ + 1;
      if (p < sql_.size() && (sql_[p] == '+' || sql_[p] == '-')) ++p;
      if (p < sql_.size() && Is(sql_[p], kDigit)) {
        pos_ = p;
        while (pos_ < sql_.size() && Is(sql_[pos_], kDigit)) ++pos_;
      }
    }
    if (pos_ < sql_.size() && Is(sql_[pos_], kWord)) {
      // A name that starts with digits ("1st") is one word, not a number.
      while (pos_ < sql_.size() && Is(sql_[pos_], kWord)) ++pos_;
      return Make(TokenKind::kWord, std::string(sql_.substr(start, pos_ - start)), start);
    }
    return Make(TokenKind::kNumber, std::string(sql_.substr(start, pos_ - start)), start);
  }

  std::string_view sql_;
  std::size_t pos_ = 0;
};

}  // namespace

std::vector<Token> Tokenize(std::string_view sql) { return Scanner(sql).Run(); }

bool IsKeyword(const Token& token, std::string_view keyword) {
  return token.kind == TokenKind::kWord && platform::EqualIgnoringAsciiCase(token.text, keyword);
}

bool IsSymbol(const Token& token, std::string_view symbol) {
  return token.kind == TokenKind::kSymbol && token.text == symbol;
}

std::string Describe(const Token& token) {
  if (token.kind == TokenKind::kEnd) return "end of statement";
  // A zero byte inside a literal would end the message there.
  std::string text(token.raw);
  for (std::size_t at = text.find('\0'); at != std::string::npos; at = text.find('\0', at)) {
    text.replace(at, 1, "\\0");
  }
  return text;
}

}  // namespace dt::engine
