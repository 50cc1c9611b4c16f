// The ADO engine against a scripted fake of its ADO interface, on every
// form: when it opens and closes, what it hands ADO, how ADO's failures
// become its errors, the text of field values, and rows written back each
// by its own position, never found by their values.
#include "engine/ado/ado_engine.h"

#include <gtest/gtest.h>

#include "engine/ado/ado_errors.h"
#include "engine/ado/single_table.h"
#include "engine/engine_factory.h"
#include "platform/errors.h"
#include "src/workdb/code_cleanup.h"
#include "src/workdb/data_access.h"
#include "src/workdb/statement_runner.h"
#include "tests/ado_fake.h"
#include "tests/build_test_util.h"

namespace dt {
namespace {

using engine::ErrorKind;
using engine::ado::AdoEngine;
using testing::AdoFailure;
using testing::FakeAdo;
using testing::FakeConnection;
using testing::FakeTable;
using testing::Gbk;
using testing::RecordingEvents;
using testing::U8;
namespace ado = engine::ado;

constexpr char kWorkDatabase[] =
    "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=D:\\Conv\\TemplateTemp\\KORVA.mdb;"
    "Persist Security Info=False";

ado::Value Text(const std::string& text) { return text; }
ado::Value Null() { return std::monostate(); }

class AdoEngineTest : public ::testing::Test {
 protected:
  std::unique_ptr<AdoEngine> MakeEngine() {
    return std::make_unique<AdoEngine>(std::make_unique<FakeConnection>(ado_));
  }
  // The engine behind a connection of the data access component, open.
  void Connect(Connection& connection) {
    connection.SetEngine(MakeEngine());
    connection.SetConnectionString(kWorkDatabase);
    connection.Open();
  }
  // Raises what `call` raises, as an engine error.
  template <class Call>
  engine::Error ErrorOf(Call&& call) {
    try {
      call();
    } catch (const engine::Error& error) {
      return error;
    }
    ADD_FAILURE() << "no engine error";
    return engine::Error(ErrorKind::kOther, "");
  }

  FakeAdo ado_;
};

TEST_F(AdoEngineTest, OpensAndClosesOnlyWhenNeeded) {
  {
    auto engine = MakeEngine();
    engine->Close();  // ADO refuses to close a closed connection
    EXPECT_TRUE(ado_.log.empty());
    engine->Open(kWorkDatabase);
    EXPECT_TRUE(engine->IsOpen());
    EXPECT_EQ(ErrorOf([&] { engine->Open(kWorkDatabase); }).kind(), ErrorKind::kInvalidArgument);
    engine->Close();
    engine->Close();
    EXPECT_FALSE(engine->IsOpen());
    engine->Open(kWorkDatabase);
  }  // released open: closed once
  EXPECT_EQ(ado_.log, (std::vector<std::string>{"Open " + std::string(kWorkDatabase), "Close",
                                                "Open " + std::string(kWorkDatabase), "Close"}));

  ado_.log.clear();
  ado_.failures.emplace("Open", AdoFailure("Could not find file 'D:\\Conv\\KORVA.mdb'."));
  {
    auto engine = MakeEngine();
    EXPECT_EQ(ErrorOf([&] { engine->Open(kWorkDatabase); }).detail(),
              "Could not find file 'D:\\Conv\\KORVA.mdb'");
    EXPECT_FALSE(engine->IsOpen());
    engine->Close();
  }
  EXPECT_EQ(ado_.log.size(), 1u) << ado_.log.back();

  // Flushing closes: only then has the provider written everything.
  auto engine = MakeEngine();
  engine->Open(kWorkDatabase);
  engine->Flush();
  EXPECT_FALSE(engine->IsOpen());
}

TEST_F(AdoEngineTest, HandsConnectionStringsAndStatementsOverByteForByte) {
  const std::string text_source =
      U8(u8"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=D:\\转换 \\TemplateTemp\\;Extended "
         u8"Properties=text;Persist Security Info=False");
  const std::string import =
      U8(u8"select * into 预算 in \"D:\\转换 \\\\TemplateTemp\\KORVA.mdb\" from 预算.txt");
  const std::string statement =
      U8(u8"update PZ Set SID = '5 01',  funcode = '' where flxh = 17\r\n");
  auto engine = MakeEngine();
  engine->Open(text_source);
  ado_.affected = 42;
  EXPECT_EQ(engine->Execute(import), 42);
  engine->Execute(statement);
  EXPECT_EQ(ado_.log, (std::vector<std::string>{"Open " + text_source, "Execute " + import,
                                                "Execute " + statement}));
}

TEST_F(AdoEngineTest, MessageIsTheDescriptionElseTheSystemsTextElseTheCode) {
  struct Case {
    std::string description;
    std::string system_text;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"Syntax error in FROM clause.  \r\n", "Unspecified error\r\n",
       "Syntax error in FROM clause"},
      {U8(u8"找不到文件。"), "", U8(u8"找不到文件。")},  // a full stop of its own stays
      {"", "Invalid class string\r\n", "Invalid class string"},
      {" .\r\n", "Invalid class string.", "Invalid class string"},
      {"", "", "OLE error 800401f3"},
      {"...", " \t", "OLE error 800401f3"},
  };
  auto engine = MakeEngine();
  engine->Open(kWorkDatabase);
  for (const Case& c : cases) {
    ado_.failures.emplace(
        "Execute", AdoFailure(c.description, c.system_text, static_cast<std::int32_t>(0x800401F3)));
    const engine::Error error = ErrorOf([&] { engine->Execute("drop table T"); });
    EXPECT_EQ(error.detail(), c.message) << c.description << "|" << c.system_text;
    EXPECT_EQ(error.kind(), ErrorKind::kOther);
  }
}

TEST_F(AdoEngineTest, FailuresOfTheSystemEndTheRun) {
  struct Case {
    std::vector<std::int32_t> native_errors;
    std::int32_t hresult;
    ErrorKind kind;
  };
  constexpr auto kFail = static_cast<std::int32_t>(0x80004005);
  const std::vector<Case> cases = {
      {{3026}, kFail, ErrorKind::kIo},  // disk full
      {{3043}, kFail, ErrorKind::kIo},  // disk or network error
      {{3035}, kFail, ErrorKind::kResources},
      {{3045}, kFail, ErrorKind::kLocked},
      {{3050}, kFail, ErrorKind::kLocked},
      {{-535037930, 3051}, kFail, ErrorKind::kLocked},  // any number of the collection
      {{3218}, kFail, ErrorKind::kLocked},
      {{}, static_cast<std::int32_t>(0x8007000E), ErrorKind::kResources},  // E_OUTOFMEMORY
      {{3022}, kFail, ErrorKind::kOther},  // a duplicate key: the statement's fault
      {{}, kFail, ErrorKind::kOther},
  };
  Connection connection;
  Connect(connection);
  StatementCommand command;
  command.SetConnection(connection);
  command.SetCommandText("insert into T values ('1')");
  for (const Case& c : cases) {
    ado_.failures.emplace("Execute",
                          AdoFailure("The provider failed", "", c.hresult, c.native_errors));
    try {
      command.Execute();
      ADD_FAILURE() << "no failure";
    } catch (const EOleException& e) {
      const bool io_error = dynamic_cast<const EOleIoError*>(&e) != nullptr;
      EXPECT_EQ(io_error, engine::IsSystemFailure(c.kind)) << static_cast<int>(c.kind);
      EXPECT_EQ(e.Message(), "The provider failed");
    }
    ado_.failures.emplace("Execute", AdoFailure("", "", c.hresult, c.native_errors));
    EXPECT_EQ(ado::FailureKind(ado_.failures.at("Execute")), c.kind);
    ado_.failures.clear();
  }
}

TEST_F(AdoEngineTest, ConnectionsAreOpenedWithoutSessionPooling) {
  // OLE DB's DBPROPVAL_OS_RESOURCEPOOLING and DBPROPVAL_OS_CLIENTCURSOR.
  constexpr std::int64_t kSessionPooling = 0x1;
  constexpr std::int64_t kClientCursor = 0x4;
  const std::string text_source =
      "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=D:\\Conv\\TemplateTemp\\;Extended "
      "Properties=text;Persist Security Info=False";
  for (const std::string& source : {text_source, std::string(kWorkDatabase)}) {
    Connection connection;
    connection.SetEngine(MakeEngine());
    connection.SetConnectionString(source);
    connection.Open();
    EXPECT_EQ(connection.ConnectionString(), source);  // what the host's log shows
    connection.Close();
  }
  // The provider is given the system's own strings.
  EXPECT_EQ(ado_.Calls("Open"), (std::vector<std::string>{"Open " + text_source,
                                                          "Open " + std::string(kWorkDatabase)}));
  ASSERT_EQ(ado_.ole_db_services.size(), 2u);
  for (const std::optional<std::int64_t>& services : ado_.ole_db_services) {
    ASSERT_TRUE(services.has_value()) << "the services are the pooling defaults";
    EXPECT_EQ(*services & kSessionPooling, 0) << *services;
    EXPECT_NE(*services & kClientCursor, 0) << *services;
  }
}

TEST_F(AdoEngineTest, WithoutADescriptionTheMessageIsTheErrorsCollections) {
  struct Case {
    std::string description;
    std::string errors_description;
    std::string system_text;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"Syntax error in FROM clause.", "Could not find file 'KORVA.mdb'.", "Unspecified error",
       "Syntax error in FROM clause"},
      {"", "Could not update; currently locked.", "Unspecified error\r\n",
       "Could not update; currently locked"},
      {" \r\n", U8(u8"磁盘空间不足。 "), "Unspecified error", U8(u8"磁盘空间不足。")},
      {"", "...", "Unspecified error\r\n", "Unspecified error"},
      {"", "", "", "OLE error 80004005"},
  };
  for (const Case& c : cases) {
    const ado::Failure failure(static_cast<std::int32_t>(0x80004005), c.description, c.system_text,
                               {}, c.errors_description);
    EXPECT_EQ(ado::FailureMessage(failure), c.message) << c.errors_description;
  }
}

// Jet's failures of the system, by its number in the Errors collection or by
// the HRESULT, end the run even where a failed statement would not: an
// import lost to one of them must not leave a run that reports success.
TEST_F(AdoEngineTest, JetsFailuresOfTheSystemEndAnImport) {
  struct Case {
    std::vector<std::int32_t> native_errors;
    std::uint32_t hresult;
    ErrorKind kind;
  };
  constexpr std::uint32_t kFail = 0x80004005;
  const std::vector<Case> cases = {
      {{3183}, kFail, ErrorKind::kIo},  // temporary space, the 2 GB limit
      {{3014}, kFail, ErrorKind::kResources}, {{3048}, kFail, ErrorKind::kResources},
      {{3052}, kFail, ErrorKind::kResources},  // lock count of a large import
      {{3006}, kFail, ErrorKind::kLocked},    {{3008}, kFail, ErrorKind::kLocked},
      {{3009}, kFail, ErrorKind::kLocked},    {{3211}, kFail, ErrorKind::kLocked},
      {{3260}, kFail, ErrorKind::kLocked},    {{-535037930, 3262}, kFail, ErrorKind::kLocked},
      {{3356}, kFail, ErrorKind::kLocked},    {{3734}, kFail, ErrorKind::kLocked},
      {{}, 0x80070070, ErrorKind::kIo},  // the disk is full
      {{}, 0x80070027, ErrorKind::kIo},       {{}, 0x80030070, ErrorKind::kIo},
      {{3011}, kFail, ErrorKind::kOther},  // a missing table: the statement's fault
      {{}, 0x80040E14, ErrorKind::kOther},
  };
  const std::string import =
      "select * into LOAN in \"D:\\Conv\\TemplateTemp\\KORVA.mdb\" from LOAN.TXT";
  Connection text;
  Connect(text);
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << std::hex << c.hresult << std::dec << " "
                                      << (c.native_errors.empty() ? 0 : c.native_errors.back()));
    const ado::Failure failure(static_cast<std::int32_t>(c.hresult), "The import failed.", "",
                               c.native_errors);
    EXPECT_EQ(ado::FailureKind(failure), c.kind);
    ado_.failures.emplace("Execute", failure);
    RecordingEvents events;
    bool ended = false;
    try {
      RunStatement(import, text, events);
    } catch (const EOleIoError&) {
      ended = true;
    }
    EXPECT_EQ(ended, engine::IsSystemFailure(c.kind));
    EXPECT_EQ(events.logs.size(), 1u);  // logged once either way
    ado_.failures.clear();
  }
}

TEST_F(AdoEngineTest, QueryCopiesEveryRowFromAClientCursor) {
  ado_.tables["Codes"] =
      FakeTable{{"a", "b", "c", "d", "e"},
                {{Null(), std::int64_t{17}, 2.5, ado::Date{45322.5}, Text(U8(u8"预算 𠀀 '2.1' "))},
                 {Text(""), std::int64_t{-3}, Null(), Null(), Null()}}};
  auto engine = MakeEngine();
  engine->Open(kWorkDatabase);
  const engine::Snapshot snapshot = engine->Query("SELECT * FROM Codes\r\n");
  EXPECT_EQ(
      ado_.Calls("Recordset"),
      (std::vector<std::string>{"Recordset SELECT * FROM Codes\r\n client keyset optimistic"}));
  EXPECT_EQ(snapshot.columns, (std::vector<std::string>{"a", "b", "c", "d", "e"}));
  ASSERT_EQ(snapshot.rows.size(), 2u);
  // Null is NULL, not empty text; text is as it is; numbers and dates are
  // the system's text of them.
  EXPECT_EQ(snapshot.rows[0],
            (std::vector<engine::Value>{std::nullopt, "17", "real 2.500000", "date 45322.500000",
                                        U8(u8"预算 𠀀 '2.1' ")}));
  EXPECT_EQ(snapshot.rows[1],
            (std::vector<engine::Value>{"", "-3", std::nullopt, std::nullopt, std::nullopt}));
  EXPECT_EQ(ado_.Calls("Text").size(), 4u);
}

TEST_F(AdoEngineTest, AStatementWithoutRowsIsNoResultSet) {
  Connection connection;
  Connect(connection);
  RowQuery query;
  query.SetConnection(connection);
  query.SetSQL("alter table [ACCOUNTSECTIONS] add column [NewCode] varchar(255)");
  try {
    query.Open();
    ADD_FAILURE() << "opened";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "CommandText does not return a result set");
  }
}

TEST_F(AdoEngineTest, UnknownFieldIsNamed) {
  ado_.tables["ACCOUNTSECTIONS"] = FakeTable{{"SID", "NewCode"}, {{Text("101"), Null()}}};
  Connection connection;
  Connect(connection);
  RowQuery query;
  query.SetConnection(connection);
  query.SetSQL("SELECT * FROM ACCOUNTSECTIONS");
  query.Open();
  EXPECT_EQ(query.FieldByName("sid").AsString(), "101");
  try {
    query.FieldByName("NewCod");
    ADD_FAILURE() << "found";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Field 'NewCod' not found");
  }
}

TEST(AdoSingleTableTest, OnlyEveryFieldOfOneTableIsOneTable) {
  struct Case {
    std::string sql;
    std::optional<std::string> table;
  };
  const std::vector<Case> cases = {
      {"SELECT * FROM ACCOUNTSECTIONS\r\n", "ACCOUNTSECTIONS"},
      {"  select *\tfrom [Book Detail] ", "Book Detail"},
      {U8(u8"Select * From 科目"), U8(u8"科目")},
      {"SELECT * FROM ACCOUNTSECTIONS WHERE SID = '1'", std::nullopt},
      {"SELECT SID FROM ACCOUNTSECTIONS", std::nullopt},
      {"SELECT * FROM A, B", std::nullopt},
      {"SELECT * FROM A,B", std::nullopt},
      {"SELECT * FROM (A)", std::nullopt},
      {"SELECT * FROM [A", std::nullopt},
      {"SELECT * INTO B FROM A", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ado::SingleTableOf(c.sql), c.table) << c.sql;
}

// The account-code rebuild's pattern: one query, then each row edited and
// posted in turn.
class AdoPostTest : public AdoEngineTest {
 protected:
  void SetUp() override {
    // Two rows alike: no WHERE over values could tell them apart.
    ado_.tables["ACCOUNTSECTIONS"] = FakeTable{{"SID", "NAME", "NewCode"},
                                               {{Text("101"), Text("cash"), Null()},
                                                {Text("2.01"), Text("bank"), Null()},
                                                {Text("2.01"), Text("bank"), Null()},
                                                {Text("3"), Null(), Null()}}};
    Connect(connection_);
    accounts_.SetConnection(connection_);
    accounts_.SetSQL("SELECT * FROM ACCOUNTSECTIONS");
    accounts_.Open();
  }
  void Post(const std::string& code) {
    accounts_.Edit();
    accounts_.SetFieldText("NewCode", code);
    accounts_.Post();
  }
  std::vector<ado::Value> NewCodes() {
    std::vector<ado::Value> codes;
    for (const auto& row : ado_.tables["ACCOUNTSECTIONS"].rows) codes.push_back(row[2]);
    return codes;
  }

  Connection connection_;
  RowQuery accounts_;
};

TEST_F(AdoPostTest, EachRowIsWrittenAtItsOwnPositionThroughOneServerCursor) {
  for (const std::u8string_view code : {u8"101", u8"20001", u8"20002", u8"3科"}) {
    Post(Gbk(code));  // the build's text is ANSI; the engine's UTF-8
    accounts_.Next();
  }
  EXPECT_EQ(NewCodes(), (std::vector<ado::Value>{Text("101"), Text("20001"), Text("20002"),
                                                 Text(U8(u8"3科"))}));
  EXPECT_EQ(ado_.Calls("Recordset SELECT * FROM [ACCOUNTSECTIONS]"),
            (std::vector<std::string>{
                "Recordset SELECT * FROM [ACCOUNTSECTIONS] server keyset optimistic"}));
  EXPECT_TRUE(ado_.Calls("Execute").empty());
  EXPECT_EQ(ado_.Calls("Update").size(), 4u);

  // Back to the first row: from the start again.
  accounts_.First();
  Post("1");
  EXPECT_EQ(NewCodes()[0], Text("1"));
  EXPECT_EQ(ado_.Calls("MoveFirst").size(), 1u);
}

// Jet keeps no order between the query's read and the writing cursor's:
// each row still lands on a row that held its values, rows alike in every
// value taking the codes in any order.
TEST_F(AdoPostTest, EachRowFindsItsOwnWhateverOrderTheWritingCursorReads) {
  ado_.server_reads_backwards = true;
  for (const char* code : {"101", "20001", "20002", "3"}) {
    Post(code);
    accounts_.Next();
  }
  const std::vector<ado::Value> codes = NewCodes();
  EXPECT_EQ(codes[0], Text("101"));
  EXPECT_TRUE((codes[1] == Text("20001") && codes[2] == Text("20002")) ||
              (codes[1] == Text("20002") && codes[2] == Text("20001")));
  EXPECT_EQ(codes[3], Text("3"));
  // A row whose values no row holds any more is still not written.
  accounts_.First();
  ado_.tables["ACCOUNTSECTIONS"].rows[0][1] = Text("changed");
  EXPECT_THROW(Post("1"), EDatabaseError);
  EXPECT_EQ(NewCodes()[0], Text("101"));
}

TEST_F(AdoPostTest, AFailedPostIsUndoneAndReported) {
  Post("101");
  accounts_.Next();
  ado_.failures.emplace("Update", AdoFailure("Field 'ACCOUNTSECTIONS.NewCode' cannot be a "
                                             "zero-length string."));
  try {
    Post("");
    ADD_FAILURE() << "posted";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Field 'ACCOUNTSECTIONS.NewCode' cannot be a zero-length string");
  }
  EXPECT_EQ(ado_.log.back(), "CancelUpdate");
  EXPECT_EQ(NewCodes()[1], Null());
}

// A failure of the system while a row is posted keeps its kind, so that it
// ends the run as it would anywhere else; the row's own refusal stays the
// post's failure.
TEST_F(AdoPostTest, AFailureOfTheSystemWhilePostingIsNoRefusedRow) {
  ado_.failures.emplace(
      "Update", AdoFailure("Disk full.", "", static_cast<std::int32_t>(0x80004005), {3026}));
  EXPECT_THROW(Post("101"), EOleIoError);
  ado_.failures.emplace("Update", AdoFailure("Record is too large."));
  try {
    Post("101");
    ADD_FAILURE() << "posted";
  } catch (const EOleIoError& e) {
    ADD_FAILURE() << e.Message();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Record is too large");
  }
}

TEST_F(AdoEngineTest, TheNextWriteCarriesNothingOfAFailedOne) {
  ado_.tables["T"] = FakeTable{{"A", "B"}, {{Text("1"), Text("x")}, {Text("2"), Text("y")}}};
  auto engine = MakeEngine();
  engine->Open(kWorkDatabase);
  const engine::Snapshot rows = engine->Query("SELECT * FROM T");
  ado_.failures.emplace("Update", AdoFailure("Record is too large."));
  EXPECT_THROW(engine->UpdateRow(rows, 0, {{1, "changed"}}), engine::Error);
  engine->UpdateRow(rows, 1, {{0, "3"}});
  EXPECT_EQ(ado_.tables["T"].rows,
            (std::vector<std::vector<ado::Value>>{{Text("1"), Text("x")}, {Text("3"), Text("y")}}));
}

// A cursor that failed while it moved may have moved all the same: where it
// stands is no longer known, and the next write reaches its row from the
// start again instead of counting from where the cursor was. Counted from
// there, it would land on the row after, which holds the same values.
TEST_F(AdoEngineTest, AWriteAfterAFailedMoveLandsOnItsOwnRow) {
  ado_.tables["T"] = FakeTable{{"A", "B"},
                               {{Text("1"), Text("x")},
                                {Text("2"), Text("y")},
                                {Text("3"), Text("z")},
                                {Text("3"), Text("z")}}};
  auto engine = MakeEngine();
  engine->Open(kWorkDatabase);
  const engine::Snapshot rows = engine->Query("SELECT * FROM T");
  ado_.failures.emplace("Move", AdoFailure("Unspecified error"));
  EXPECT_THROW(engine->UpdateRow(rows, 1, {{1, "changed"}}), engine::Error);
  engine->UpdateRow(rows, 2, {{1, "w"}});
  EXPECT_EQ(ado_.tables["T"].rows, (std::vector<std::vector<ado::Value>>{{Text("1"), Text("x")},
                                                                         {Text("2"), Text("y")},
                                                                         {Text("3"), Text("w")},
                                                                         {Text("3"), Text("z")}}));
}

TEST_F(AdoPostTest, ARowChangedSinceTheQueryIsNotWritten) {
  Post("101");
  // Another writer changes the last row under the snapshot; no other row
  // holds its values.
  ado_.tables["ACCOUNTSECTIONS"].rows[3][0] = Text("4");
  for (int i = 0; i < 3; ++i) accounts_.Next();
  EXPECT_THROW(Post("3"), EDatabaseError);
  EXPECT_EQ(NewCodes()[3], Null());
  EXPECT_EQ(ado_.Calls("Update").size(), 1u);
}

TEST_F(AdoPostTest, RowsOfAnythingButOneTableCannotBePosted) {
  ado_.results["SELECT SID FROM ACCOUNTSECTIONS"] = FakeTable{{"SID"}, {{Text("101")}}};
  RowQuery codes;
  codes.SetConnection(connection_);
  codes.SetSQL("SELECT SID FROM ACCOUNTSECTIONS");
  codes.Open();
  codes.Edit();
  codes.SetFieldText("SID", "1");
  EXPECT_THROW(codes.Post(), EDatabaseError);
  EXPECT_TRUE(ado_.Calls("Update").empty());
}

TEST_F(AdoEngineTest, CleanUpRewritesRowsThatShareCodesEachOnItsOwn) {
  ado_.tables["BOOK"] = FakeTable{{"BOOKNO", "SID", "YEAR"},
                                  {{Text("1"), Text("2.1"), Text("2024")},
                                   {Text("1"), Text(" 2.1 "), Text("2024")},
                                   {Text("2"), Text("201"), Text("2024")},
                                   {Text("3"), Null(), Text("2024")},
                                   {Text("4"), Text(U8(u8"科.1")), Text("2024")},
                                   {Null(), Null(), Text("2024")},
                                   {Null(), Text("5.1"), Text("2024")},
                                   {Text(" 6"), Null(), Text("2024")}}};
  Connection connection;
  Connect(connection);
  connection.RewriteColumns("BOOK", {"bookno", "SID"}, {"SID"}, {"bookno"},
                            [](std::string_view value) { return CleanCode(value); });
  std::vector<ado::Value> codes;
  for (const auto& row : ado_.tables["BOOK"].rows) codes.push_back(row[1]);
  // A NULL code is emptied only where the row's key holds a value its
  // update finds it by (not " 6"); a code with a value is cleaned whatever
  // its key.
  EXPECT_EQ(codes, (std::vector<ado::Value>{Text("201"), Text("201"), Text("201"), Text(""),
                                            Text(U8(u8"科01")), Null(), Text("501"), Null()}));
  // Each changed row by itself, through its own cursor position; the row
  // whose code stays as it is needs no write.
  EXPECT_EQ(ado_.Calls("Update").size(), 5u);
  EXPECT_EQ(ado_.Calls("Set"), (std::vector<std::string>{"Set 1 201", "Set 1 201", "Set 1 ",
                                                         "Set 1 " + U8(u8"科01"), "Set 1 501"}));
  EXPECT_EQ(ado_.Calls("Recordset"),
            (std::vector<std::string>{"Recordset SELECT * FROM [BOOK] server keyset optimistic"}));
  EXPECT_TRUE(ado_.Calls("Execute").empty());
}

TEST_F(AdoEngineTest, CleanUpWritesNothingWhenAFieldIsMissingAndUndoesAFailedRow) {
  ado_.tables["item"] =
      FakeTable{{"IID", "NAME"}, {{Text("1.1"), Text("a")}, {Text("2.2"), Null()}}};
  auto engine = MakeEngine();
  engine->Open(kWorkDatabase);
  auto clean = [](std::string_view value) { return CleanCode(value); };
  const engine::Error missing = ErrorOf([&] {
    engine->RewriteColumns("item", {"IID", "ID"}, {"IID"}, {}, clean);
  });
  EXPECT_EQ(missing.kind(), ErrorKind::kMissingField);
  EXPECT_EQ(missing.detail(), "Field 'ID' not found");
  EXPECT_TRUE(ado_.Calls("Set").empty());
  // A table without rows reads no field: none is missing.
  ado_.tables["loan"] = FakeTable{{"LID"}, {}};
  EXPECT_NO_THROW(engine->RewriteColumns("loan", {"ID"}, {"ID"}, {}, clean));

  ado_.failures.emplace("Update", AdoFailure("Could not update; currently locked.", "",
                                             static_cast<std::int32_t>(0x80004005), {3218}));
  const engine::Error locked =
      ErrorOf([&] { engine->RewriteColumns("item", {}, {"IID"}, {}, clean); });
  EXPECT_EQ(locked.kind(), ErrorKind::kLocked);
  EXPECT_EQ(ado_.log.back(), "CancelUpdate");
  EXPECT_EQ(ado_.tables["item"].rows[0][0], Text("1.1"));
}

TEST_F(AdoEngineTest, TablesAreFoundIgnoringLetterCase) {
  ado_.tables["BOOK"] = FakeTable{};
  ado_.tables["pz"] = FakeTable{};
  auto engine = MakeEngine();
  engine->Open(kWorkDatabase);
  EXPECT_TRUE(engine->HasTable("book"));
  EXPECT_TRUE(engine->HasTable("PZ"));
  EXPECT_FALSE(engine->HasTable("KMYE"));
}

#ifndef _WIN32
TEST(AdoFactoryTest, ThisFormHasNoAdoEngine) {
  try {
    engine::MakeEngine(engine::EngineKind::kAdo);
    ADD_FAILURE() << "made";
  } catch (const engine::Error& e) {
    EXPECT_EQ(e.kind(), ErrorKind::kUnsupported);
  }
}
#endif

}  // namespace
}  // namespace dt
