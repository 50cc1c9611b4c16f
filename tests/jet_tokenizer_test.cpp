// The Jet SQL tokenizer: kinds, values and the literals' quoting rules.
#include "platform/jet/tokenizer.h"

#include <gtest/gtest.h>

#include "platform/jet/session.h"

namespace dt::jet {
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

TEST(JetTokenizer, KindsAndTexts) {
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

TEST(JetTokenizer, OffsetsAndRawTextPointIntoTheStatement) {
  const std::string sql = "select  [A B] , 'x''y'";
  const std::vector<Token> tokens = Tokenize(sql);
  ASSERT_EQ(tokens.size(), 5u);
  EXPECT_EQ(tokens[1].offset, 8u);
  EXPECT_EQ(tokens[1].raw, "[A B]");
  EXPECT_EQ(tokens[3].raw, "'x''y'");
  EXPECT_EQ(tokens[4].offset, sql.size());
  EXPECT_EQ(Describe(tokens[4]), "end of statement");
}

TEST(JetTokenizer, MalformedInputIsNamed) {
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

TEST(JetTokenizer, KeywordsAndNamesIgnoreAsciiCaseOnly) {
  const std::vector<Token> tokens = Tokenize("SeLeCt [select] 'select'");
  EXPECT_TRUE(IsKeyword(tokens[0], "SELECT"));
  EXPECT_FALSE(IsKeyword(tokens[1], "SELECT"));  // a bracketed name is never a keyword
  EXPECT_FALSE(IsKeyword(tokens[2], "SELECT"));
  EXPECT_TRUE(EqualsIgnoreCase("Remain", "REMAIN"));
  EXPECT_FALSE(EqualsIgnoreCase("Remain", "REMAINS"));
  EXPECT_FALSE(EqualsIgnoreCase("\xC3\xA9", "\xC3\x89"));
}

}  // namespace
}  // namespace dt::jet
