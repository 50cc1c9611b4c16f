// Splits a statement of the Jet SQL dialect into tokens: words (names and
// keywords alike), [bracketed] names, '...' and "..." string literals,
// numbers, #date# literals and operators. Keywords are recognised later by
// the parser, so a word keeps its letter case as written.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace dt::engine {

enum class TokenKind {
  kWord,         // bare name or keyword: letters, digits, '_', any byte >= 0x80
  kBracketName,  // [name]; text holds the name without the brackets
  kString,       // '...' or "..."; text holds the value, doubled quotes made single
  kNumber,       // 12, 1.5, 2E3
  kDate,         // #...#; text holds what stands between the hashes
  kSymbol,       // ( ) , . * + - / \ & = <> < > <= >= ^ ;
  kEnd,          // after the last token
};

struct Token {
  TokenKind kind;
  std::string text;      // see TokenKind
  std::size_t offset;    // byte offset of the token in the statement
  std::string_view raw;  // the token as written (empty for kEnd)
};

// Tokenizes `sql`; the result always ends with one kEnd token. The views in
// `raw` point into `sql`, which the caller keeps alive. Raises engine::Error of
// kind kSyntax for an unterminated literal or bracket and for a character
// that starts no token.
std::vector<Token> Tokenize(std::string_view sql);

// True when `token` is the word `keyword`, ignoring ASCII letter case.
bool IsKeyword(const Token& token, std::string_view keyword);

// True when `token` is the symbol `symbol`.
bool IsSymbol(const Token& token, std::string_view symbol);

// How a token is named in an error message: its text as written, or "end of
// statement".
std::string Describe(const Token& token);

}  // namespace dt::engine
