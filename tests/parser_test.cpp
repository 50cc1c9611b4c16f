// Statements that the engine cannot read or translate fail with the kind
// that says why: the statement is wrong, too big, or beyond the engine.
#include <gtest/gtest.h>

#include <optional>

#include "tests/standin_test_util.h"

namespace dt::engine::standin {
namespace {

std::string Repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

TEST(ParserTest, EachFailureNamesItsKind) {
  testing::ScratchDir dir;
  StandInEngine session;
  testing::OpenEmptyDatabase(dir, session);
  session.Execute("create table One (N integer)");
  session.Execute("insert into One values (1)");
  struct Case {
    std::string sql;
    ErrorKind kind;
  };
  const std::vector<Case> cases = {
      // Read as a statement, they are wrong.
      {"select 1 = 1 = 1 from One", ErrorKind::kSyntax},  // comparisons do not chain
      {"select NOT N = 1 = 1 from One", ErrorKind::kSyntax},
      {"select N < 2 IS NULL from One", ErrorKind::kSyntax},
      {"select N BETWEEN 1 AND 2 LIKE 'x' from One", ErrorKind::kSyntax},
      {"select 1 + NOT N from One", ErrorKind::kSyntax},  // NOT takes a comparison
      {"select -NOT N from One", ErrorKind::kSyntax},
      {"select N NOT 2 from One", ErrorKind::kSyntax},
      {"select 2 ^ 3 from One", ErrorKind::kSyntax},
      {"select 7 \\ 2 from One", ErrorKind::kSyntax},
      {"select N from One where N IN 1", ErrorKind::kSyntax},
      {"select N from One where N BETWEEN 1", ErrorKind::kSyntax},
      {"select N from One where N IS 1", ErrorKind::kSyntax},
      {"select 'abc from One", ErrorKind::kSyntax},
      {"select [N from One", ErrorKind::kSyntax},
      {"select N ? 1 from One", ErrorKind::kSyntax},
      {"select cdate(N, N) from One", ErrorKind::kSyntax},
      {"select sum(*) from One", ErrorKind::kSyntax},
      {"create table T (a varchr(10))", ErrorKind::kSyntax},
      // Beyond what the engine takes in one statement.
      {"select " + Repeat("(", 300) + "N" + Repeat(")", 300) + " from One", ErrorKind::kTooComplex},
      {"select N" + Repeat(" + N", 300) + " from One", ErrorKind::kTooComplex},
      {"select * from One where" + Repeat(" NOT", 300) + " N = 1", ErrorKind::kTooComplex},
      {"select " + Repeat("-", 300) + "N from One", ErrorKind::kTooComplex},
      {"select * from One" + Repeat(", One", 70), ErrorKind::kTooComplex},
      // Read, but not done by this engine.
      {"select frob(N) from One", ErrorKind::kUnsupported},
      {"select * from One where N = #1/5/2020#", ErrorKind::kUnsupported},
      {std::string("select 'a\0b' from One", 21), ErrorKind::kUnsupported},
      {std::string("select [a\0b] from One", 21), ErrorKind::kUnsupported},
  };
  for (const Case& c : cases) {
    std::optional<ErrorKind> kind;
    try {
      session.Execute(c.sql);
    } catch (const Error& error) {
      kind = error.kind();
    }
    if (!kind) {
      ADD_FAILURE() << c.sql << ": no error";
      continue;
    }
    EXPECT_EQ(static_cast<int>(*kind), static_cast<int>(c.kind)) << c.sql;
  }
  // None of them changed the database.
  EXPECT_EQ(testing::SortedRows(session.Query("select N from One")), std::vector<std::string>{"1"});
}

}  // namespace
}  // namespace dt::engine::standin
