// The translation of Jet statements to SQLite: what each construct becomes,
// and statements that cannot be translated failing with the token named.
#include <gtest/gtest.h>

#include <variant>

#include "engine/standin/sql/emitter.h"
#include "engine/jetsql/parser.h"
#include "engine/standin/standin_engine.h"

namespace dt::engine::standin {
namespace {

// The SQLite text of a statement that the emitter writes as a whole.
std::string Translate(const std::string& sql) {
  const ParsedStatement parsed = Parse(sql);
  return std::visit(
      [](const auto& statement) -> std::string {
        using Kind = std::decay_t<decltype(statement)>;
        if constexpr (std::is_same_v<Kind, Select>) {
          return EmitSelect(statement);
        } else if constexpr (std::is_same_v<Kind, Insert>) {
          return EmitInsert(statement);
        } else if constexpr (std::is_same_v<Kind, Update>) {
          return EmitUpdate(statement);
        } else if constexpr (std::is_same_v<Kind, Delete>) {
          return EmitDelete(statement);
        } else if constexpr (std::is_same_v<Kind, CreateTable>) {
          return EmitCreateTable(statement);
        } else if constexpr (std::is_same_v<Kind, AddColumn>) {
          return "ADD " + EmitColumnDef(statement.column);
        } else {
          return EmitDropTable(statement);
        }
      },
      parsed);
}

TEST(EmitterTest, ConstructsBecomeTheirSqliteForm) {
  struct Case {
    std::string jet;
    std::string sqlite;
  };
  const std::vector<Case> cases = {
      {"SELECT * FROM ACCOUNTSECTIONS", "SELECT * FROM \"ACCOUNTSECTIONS\""},
      {"select a.*, [NAME] from item as a",
       "SELECT \"a\".*, \"NAME\" AS \"NAME\" FROM \"item\" AS \"a\""},
      {"select x y from t z", "SELECT \"x\" AS \"y\" FROM \"t\" AS \"z\""},
      {"select a+b&c from t",
       "SELECT jet_concat(jet_add(\"a\", \"b\"), \"c\") AS \"Expr1000\" FROM \"t\""},
      {"select a&b+c from t",
       "SELECT jet_concat(\"a\", jet_add(\"b\", \"c\")) AS \"Expr1000\" FROM \"t\""},
      {"select a+b*c-d from t",
       "SELECT (jet_add(\"a\", (\"b\" * \"c\")) - \"d\") AS \"Expr1000\" FROM \"t\""},
      {"select a/b, a mod b from t",
       "SELECT (CAST(\"a\" AS REAL) / \"b\") AS \"Expr1000\", (\"a\" % \"b\") AS \"Expr1001\" "
       "FROM \"t\""},
      {"select * from t where a = 1 or b = 2 and not c = 3",
       "SELECT * FROM \"t\" WHERE ((\"a\" = 1) OR ((\"b\" = 2) AND (NOT (\"c\" = 3))))"},
      {"select * from t where a like 'x*' and b not like c",
       "SELECT * FROM \"t\" WHERE ((\"a\" GLOB jet_like_pattern('x*')) AND (\"b\" NOT GLOB "
       "jet_like_pattern(\"c\")))"},
      {"select * from t where a&'x' = 'yx'",
       "SELECT * FROM \"t\" WHERE (jet_concat(\"a\", 'x') = 'yx')"},
      {"select * from t where BID is not null and BID <>''",
       "SELECT * FROM \"t\" WHERE ((\"BID\" IS NOT NULL) AND (\"BID\" <> ''))"},
      {"select * from t where a between 1 and 2 and b not in ('x', \"y\")",
       "SELECT * FROM \"t\" WHERE ((\"a\" BETWEEN 1 AND 2) AND (\"b\" NOT IN ('x', 'y')))"},
      {"select cdate(b.YEAR+'-'+b.DAY) as D from b",
       "SELECT jet_cdate(jet_add(jet_add(\"b\".\"YEAR\", '-'), \"b\".\"DAY\")) AS \"D\" FROM "
       "\"b\""},
      {"select * from t where d = #2020-1-5#",
       "SELECT * FROM \"t\" WHERE (\"d\" = jet_cdate('2020-1-5'))"},
      {"select 'it''s', \"say \"\"x\"\"\" from t",
       "SELECT 'it''s' AS \"Expr1000\", 'say \"x\"' AS \"Expr1001\" FROM \"t\""},
      {"select -a, true, false, null from t",
       "SELECT (- \"a\") AS \"Expr1000\", -1 AS \"Expr1001\", 0 AS \"Expr1002\", NULL AS "
       "\"Expr1003\" FROM \"t\""},
      {"select distinct top 5 a from t order by a desc, b",
       "SELECT DISTINCT \"a\" AS \"a\" FROM \"t\" ORDER BY \"a\" DESC, \"b\" LIMIT 5"},
      {"select count(*), sum(x) from t group by k having count(*) > 1",
       "SELECT count(*) AS \"Expr1000\", (SUM(\"x\")) AS \"Expr1001\" FROM \"t\" GROUP BY \"k\" "
       "HAVING (count(*) > 1)"},
      {"select iif(a is null, nz(b), ucase(trim(c))) from t",
       "SELECT jet_iif((\"a\" IS NULL), ifnull(\"b\", ''), upper(trim(\"c\"))) "
       "AS \"Expr1000\" FROM \"t\""},
      {"select * from (((a left join b on a.k = b.k)left join c on a.k = c.k) inner join d on "
       "a.k = d.k)",
       "SELECT * FROM \"a\" LEFT JOIN \"b\" ON (\"a\".\"k\" = \"b\".\"k\") LEFT JOIN \"c\" ON "
       "(\"a\".\"k\" = \"c\".\"k\") INNER JOIN \"d\" ON (\"a\".\"k\" = \"d\".\"k\")"},
      {"select * from a left join (b inner join c on b.k = c.k) on a.k = b.k",
       "SELECT * FROM \"a\" LEFT JOIN (\"b\" INNER JOIN \"c\" ON (\"b\".\"k\" = \"c\".\"k\")) ON "
       "(\"a\".\"k\" = \"b\".\"k\")"},
      {"select * from a, b right outer join c on b.k = c.k",
       "SELECT * FROM \"a\", \"b\" RIGHT JOIN \"c\" ON (\"b\".\"k\" = \"c\".\"k\")"},
      {"insert into aidInfo(A,B) select 'x' as A, BID as B from s",
       "INSERT INTO \"aidInfo\" (\"A\", \"B\") SELECT 'x' AS \"A\", \"BID\" AS \"B\" FROM \"s\""},
      {"insert into t values ('a', 1, null);", "INSERT INTO \"t\" VALUES ('a', 1, NULL)"},
      {"update PZ Set SID = '501', funcode = '' where flxh = 17",
       "UPDATE \"PZ\" SET \"SID\" = '501', \"funcode\" = '' WHERE (\"flxh\" = 17)"},
      {"update t set t.a = a + 1", "UPDATE \"t\" SET \"a\" = jet_add(\"a\", 1)"},
      {"delete * from t where a = 'x'", "DELETE FROM \"t\" WHERE (\"a\" = 'x')"},
      {"Create Table aidInfo(AidType varchar(250),N long not null, K counter, M memo)",
       "CREATE TABLE \"aidInfo\" (\"AidType\" TEXT(250) CONSTRAINT \"jet_field_size\" CHECK "
       "(length(\"AidType\") <= 250), \"N\" INTEGER NOT NULL, \"K\" INTEGER PRIMARY KEY "
       "AUTOINCREMENT, \"M\" TEXT)"},
      {"alter table [ACCOUNTSECTIONS] add column [NewCode] varchar(255)",
       "ADD \"NewCode\" TEXT(255) CONSTRAINT \"jet_field_size\" CHECK (length(\"NewCode\") <= "
       "255)"},
      {"alter table t add x double", "ADD \"x\" REAL"},
      {"drop table [a \"b\"]", "DROP TABLE \"a \"\"b\"\"\""},
  };
  for (const Case& c : cases) {
    try {
      EXPECT_EQ(Translate(c.jet), c.sqlite) << c.jet;
    } catch (const Error& error) {
      ADD_FAILURE() << c.jet << " -> " << error.what();
    }
  }
}

TEST(EmitterTest, SelectIntoKeepsTargetAndDatabase) {
  const ParsedStatement parsed =
      Parse("select * into Book in \"/data//TemplateTemp/KORVA.mdb\" from Book.txt");
  const Select& select = std::get<Select>(parsed);
  EXPECT_EQ(select.into, "Book");
  EXPECT_EQ(select.into_db, "/data//TemplateTemp/KORVA.mdb");
  ASSERT_EQ(select.from.size(), 1u);
  EXPECT_EQ(select.from[0]->name, "Book.txt");
  EXPECT_EQ(EmitSelect(select, "Book.txt"), "SELECT \"Book.txt\".rowid, * FROM \"Book.txt\"");
}

TEST(EmitterTest, UntranslatableStatementsNameTheToken) {
  struct Case {
    std::string jet;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"select * into My Book in \"x.mdb\" from My Book.txt",
       "near 'Book' at position 18: expected FROM"},
      {"select a from t where a like", "near 'end of statement'"},
      {"select a from t where a ^ 2 = 4", "near '^'"},
      {"select a \\ 2 from t", "near '\\'"},
      {"select a from t where", "near 'end of statement'"},
      {"select a from", "near 'end of statement': expected a table name"},
      {"selec a from t", "near 'selec'"},
      {"select a from t extra words", "near 'words'"},
      {"select a, from t", "near 'from'"},
      {"select (a from t", "near 'from' at position 11: expected ')'"},
      {"select * from (a left join b on a.k = b.k", "expected ')'"},
      {"select * from a left b", "near 'b'"},
      {"create table t (a varchr(10))", "near 'varchr'"},
      {"alter table t drop column a", "near 'drop'"},
      {"select top x a from t", "near 'x'"},
      {"select frob(a) from t", "Undefined function 'frob'"},
      {"select cdate(a, b) from t", "Wrong number of arguments used with function 'cdate'"},
      {"select sum(*) from t", "Wrong number of arguments used with function 'sum'"},
      {"exec proc", "near 'exec'"},
      {"insert into t select a into u from v", "near 'into' at position 24: expected FROM"},
      {"select * from t where d = #1/5/2020#", "Date literal '#1/5/2020#' is not supported"},
      {"select * from t where d = #12/1/05#", "Date literal '#12/1/05#' is not supported"},
      {"select a from t; select b from t", "near 'select'"},
      {std::string("select 'a\0b' from t", 19), "Invalid text 'a...': it holds a zero byte"},
      {std::string("select [a\0b] from t", 19), "Invalid name 'a...': it holds a zero byte"},
      {std::string("update 'a\0b' set", 16), "near ''a\\0b'' at position 8: expected a table"},
  };
  for (const Case& c : cases) {
    try {
      const std::string translated = Translate(c.jet);
      ADD_FAILURE() << c.jet << " translated to " << translated;
    } catch (const Error& error) {
      EXPECT_NE(std::string(error.what()).find(c.error), std::string::npos)
          << c.jet << " -> " << error.what();
    }
  }
}

TEST(EmitterTest, DeepNestingFailsInsteadOfExhaustingTheStack) {
  struct Case {
    std::string jet;
    std::string error;
  };
  const std::string many(10000, '(');
  std::string chain = "select a";
  for (int i = 0; i < 10000; ++i) chain += " + a";
  std::string joins = "select * from t0";
  for (int i = 1; i < 10000; ++i) {
    joins += " left join t" + std::to_string(i) + " on t0.k = t" + std::to_string(i) + ".k";
  }
  std::string nots = "select * from t where";
  for (int i = 0; i < 10000; ++i) nots += " not";
  const std::vector<Case> cases = {
      {"select " + many + "a from t", "Statement too complex"},
      {"select * from " + many + "t", "Statement too complex"},
      {"select " + std::string(10000, '-') + "a from t", "Statement too complex"},
      {nots + " a = 1", "Statement too complex"},
      {chain + " from t", "Expression too complex"},
      {joins, "Too many tables"},
  };
  for (const Case& c : cases) {
    try {
      Translate(c.jet);
      ADD_FAILURE() << c.error << ": translated";
    } catch (const Error& error) {
      EXPECT_NE(std::string(error.what()).find(c.error), std::string::npos) << error.what();
    }
  }
  // Within the limits, nesting is fine.
  EXPECT_EQ(Translate("select ((((a)))) from t"), "SELECT \"a\" AS \"a\" FROM \"t\"");
  std::string long_sum = "select a";
  for (int i = 0; i < 150; ++i) long_sum += " + a";
  EXPECT_NO_THROW(Translate(long_sum + " from t"));
}

}  // namespace
}  // namespace dt::engine::standin
