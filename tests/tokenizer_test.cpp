// The Jet SQL tokenizer: kinds, values and the literals' quoting rules.
#include "engine/jetsql/tokenizer.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

#include "engine/standin/standin_engine.h"

namespace dt::engine::standin {
namespace {

std::string Kinds(const std::vector<Token>& tokens) {
  std::string out;
  for (const Token& token : tokens) {
    switch (token.kind) {
      case TokenKind::kWord:
        out += "w";
        break;
      case TokenKind::kBracketName:
        out += "b";
        break;
      case TokenKind::kString:
        out += "s";
        break;
      case TokenKind::kNumber:
        out += "n";
        break;
      case TokenKind::kDate:
        out += "d";
        break;
      case TokenKind::kSymbol:
        out += "y";
        break;
      case TokenKind::kEnd:
        out += "$";
        break;
    }
  }
  return out;
}

std::vector<std::string> Texts(const std::vector<Token>& tokens) {
  std::vector<std::string> out;
  for (const Token& token : tokens) out.push_back(token.text);
  return out;
}

TEST(TokenizerTest, KindsAndTexts) {
  struct Case {
    std::string sql;
    std::string kinds;
    std::vector<std::string> texts;
  };
  const std::vector<Case> cases = {
      {"select * from T", "wyww$", {"select", "*", "from", "T", ""}},
      {"[NAME] as AidName", "bww$", {"NAME", "as", "AidName", ""}},
      {"[My Table]", "b$", {"My Table", ""}},
      {"'it''s'", "s$", {"it's", ""}},
      {"\"D:\\Conv\\\\TemplateTemp\\KORVA.mdb\"",
       "s$",
       {"D:\\Conv\\\\TemplateTemp\\KORVA.mdb", ""}},
      {"\"say \"\"hi\"\"\"", "s$", {"say \"hi\"", ""}},
      {"''", "s$", {"", ""}},
      {"BID <>''", "wys$", {"BID", "<>", "", ""}},
      {"a<=b>=c<d>e=f",
       "wywywywywyw$",
       {"a", "<=", "b", ">=", "c", "<", "d", ">", "e", "=", "f", ""}},
      {"b.YEAR+'-'+b.MONTH",
       "wywysywyw$",
       {"b", ".", "YEAR", "+", "-", "+", "b", ".", "MONTH", ""}},
      {"Book.txt", "wyw$", {"Book", ".", "txt", ""}},
      {"12 1.5 2E3 7e-2", "nnnn$", {"12", "1.5", "2E3", "7e-2", ""}},
      {"1st", "w$", {"1st", ""}},
      {"#2020-01-05#", "d$", {"2020-01-05", ""}},
      {"'\xE9\xA2\x84\xE7\xAE\x97' as \xE5\x90\x8D",
       "sww$",
       {"\xE9\xA2\x84\xE7\xAE\x97", "as", "\xE5\x90\x8D", ""}},
      {"a&b\r\n\t;", "wywy$", {"a", "&", "b", ";", ""}},
      {"", "$", {""}},
  };
  for (const Case& c : cases) {
    const std::vector<Token> tokens = Tokenize(c.sql);
    EXPECT_EQ(Kinds(tokens), c.kinds) << c.sql;
    EXPECT_EQ(Texts(tokens), c.texts) << c.sql;
  }
}

TEST(TokenizerTest, OffsetsAndRawTextPointIntoTheStatement) {
  const std::string sql = "select  [A B] , 'x''y'";
  const std::vector<Token> tokens = Tokenize(sql);
  ASSERT_EQ(tokens.size(), 5u);
  EXPECT_EQ(tokens[1].offset, 8u);
  EXPECT_EQ(tokens[1].raw, "[A B]");
  EXPECT_EQ(tokens[3].raw, "'x''y'");
  EXPECT_EQ(tokens[4].offset, sql.size());
  EXPECT_EQ(Describe(tokens[4]), "end of statement");
}

TEST(TokenizerTest, MalformedInputIsNamed) {
  struct Case {
    std::string sql;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"select 'abc", "unterminated string literal starting at position 8"},
      {"select \"abc", "unterminated string literal starting at position 8"},
      {"select [abc", "unterminated name in brackets starting at position 8"},
      {"select #2020", "unterminated date literal"},
      {"select a ? b", "unexpected character '?' at position 10"},
      {"select a ! b", "unexpected character '!'"},
      {"select a \x01 b", "unexpected character byte 0x01 at position 10"},
      {std::string("select a \0 b", 12), "unexpected character byte 0x00 at position 10"},
  };
  for (const Case& c : cases) {
    try {
      Tokenize(c.sql);
      ADD_FAILURE() << "no error for " << c.sql;
    } catch (const Error& error) {
      EXPECT_NE(std::string(error.what()).find(c.error), std::string::npos)
          << c.sql << " -> " << error.what();
    }
  }
}

TEST(TokenizerTest, KeywordsAndNamesIgnoreAsciiCaseOnly) {
  const std::vector<Token> tokens = Tokenize("SeLeCt [select] 'select'");
  EXPECT_TRUE(IsKeyword(tokens[0], "SELECT"));
  EXPECT_FALSE(IsKeyword(tokens[1], "SELECT"));  // a bracketed name is never a keyword
  EXPECT_FALSE(IsKeyword(tokens[2], "SELECT"));
}

// What the tokenizer makes of every byte value where a byte can stand: alone,
// inside a word, after a number, between words and in brackets. Statement
// and result: kinds and texts, or the error.
std::vector<std::pair<std::string, std::string>> EveryByteTokenized() {
  std::vector<std::pair<std::string, std::string>> results;
  for (int value = 0; value < 256; ++value) {
    const std::string b(1, static_cast<char>(value));
    for (const std::string& sql : {b, "a" + b + "z", "A" + b, "12" + b, "1" + b + "5",
                                   "x " + b + " y", "[" + b + "]", b + b + "9"}) {
      std::string line;
      try {
        const std::vector<Token> tokens = Tokenize(sql);
        line = Kinds(tokens);
        for (const std::string& text : Texts(tokens)) line += "|" + text;
      } catch (const Error& error) {
        line = error.what();
      }
      results.emplace_back(sql, line);
    }
  }
  return results;
}

// Sets the process locale for one scope and restores the one before.
class LocaleScope {
 public:
  LocaleScope() : saved_(std::setlocale(LC_ALL, nullptr)) {}
  ~LocaleScope() { std::setlocale(LC_ALL, saved_.c_str()); }
  LocaleScope(const LocaleScope&) = delete;
  LocaleScope& operator=(const LocaleScope&) = delete;

  bool Set(const char* name) { return std::setlocale(LC_ALL, name) != nullptr; }

 private:
  std::string saved_;
};

TEST(TokenizerTest, TheLocaleOfTheHostProgramChangesNoToken) {
  LocaleScope scope;
  ASSERT_TRUE(scope.Set("C"));
  const auto in_c = EveryByteTokenized();
  // 8-bit locales, where <cctype> calls some bytes >= 0x80 letters.
  const char* const kCandidates[] = {
      "de_DE.ISO-8859-1", "de_DE.iso88591", "de_DE@euro",       "de_DE",
      "en_US.ISO-8859-1", "en_US.iso88591", "fr_FR.ISO-8859-1", "fr_FR.iso88591",
      "ru_RU.KOI8-R",     "ru_RU.CP1251",   "pl_PL.ISO-8859-2",
  };
  const char* chosen = nullptr;
  for (const char* name : kCandidates) {
    if (scope.Set(name) && MB_CUR_MAX == 1) {
      chosen = name;
      break;
    }
  }
  if (chosen == nullptr) {
    GTEST_SKIP() << "no 8-bit locale is installed here (none of de_DE.ISO-8859-1, "
                    "en_US.ISO-8859-1, ru_RU.KOI8-R, ... ; see locale -a)";
  }
  const auto in_chosen = EveryByteTokenized();
  ASSERT_EQ(in_chosen.size(), in_c.size());
  for (std::size_t i = 0; i < in_c.size(); ++i) {
    EXPECT_EQ(in_chosen[i].second, in_c[i].second) << in_c[i].first << " under " << chosen;
  }
}

}  // namespace
}  // namespace dt::engine::standin
