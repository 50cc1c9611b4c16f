// The provider over the stand-in behaves as ADO does where the ADO engine
// relies on it: typed values and their text, cursor positions and their
// errors, writes of a server cursor at once, a client recordset a copy,
// closing, and failures scripted into chosen calls.
#include "tests/standin_ado_provider.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/standin/standin_engine.h"
#include "tests/staging_temp_dir.h"

namespace dt::testing {
namespace {

namespace ado = engine::ado;
using ado::CursorLocation;
using ado::CursorType;
using ado::LockType;

constexpr std::int32_t kNoCurrentRecord = static_cast<std::int32_t>(0x800A0BCD);

class ProviderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBytes(database_, "");
    engine::standin::StandInEngine standin;
    standin.Open(ConnectionString());
    standin.Execute("create table T (N long, R double, D datetime, S varchar(20), C counter)");
    standin.Execute("insert into T (N, R, D, S) values (7, 2.5, '2024-01-05', 'a')");
    standin.Execute("insert into T (N, R, D, S) values (-3, 0.1, '1899-12-30', '2024-01-05')");
    standin.Execute("insert into T (N, R, D, S) values (null, null, null, null)");
    standin.Execute("create table Empty (X text)");
    standin.Execute("select N, cdate(S) as D into Dates from T where N = -3");
    connection_->Open(ConnectionString() + ";OLE DB Services=-4");
  }
  std::string ConnectionString() const {
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + database_;
  }
  std::unique_ptr<ado::Recordset> Open(const std::string& sql,
                                       CursorLocation location = CursorLocation::kServer,
                                       CursorType type = CursorType::kKeyset,
                                       LockType lock = LockType::kOptimistic) {
    return connection_->OpenRecordset(sql, location, type, lock);
  }
  // The HRESULT `call` fails with; 0 when it does not fail.
  template <class Call>
  static std::int32_t FailureOf(Call&& call) {
    try {
      call();
    } catch (const ado::Failure& failure) {
      return failure.hresult();
    }
    return 0;
  }
  std::vector<std::string> Column(const std::string& sql) {
    std::vector<std::string> values;
    auto rows = Open(sql, CursorLocation::kClient);
    for (; !rows->Eof(); rows->MoveNext()) {
      const ado::Value value = rows->FieldValue(0);
      values.push_back(std::holds_alternative<std::monostate>(value) ? "NULL"
                                                                     : connection_->Text(value));
    }
    return values;
  }

  TempDir dir_;
  std::string database_ = dir_ / "work.mdb";
  std::shared_ptr<ProviderScript> script_ = std::make_shared<ProviderScript>();
  std::unique_ptr<ado::Connection> connection_ = NewProviderConnection(script_);
};

TEST_F(ProviderTest, ValuesAreTypedByTheirFieldAndGiveTheStandInsText) {
  auto rows = Open("SELECT * FROM T", CursorLocation::kClient);
  ASSERT_EQ(rows->FieldCount(), 5);
  EXPECT_EQ(rows->FieldValue(0), ado::Value(std::int64_t{7}));
  EXPECT_EQ(rows->FieldValue(1), ado::Value(2.5));
  // The stand-in declares a Jet date field as text (its dates are ISO text).
  EXPECT_EQ(rows->FieldValue(2), ado::Value(std::string("2024-01-05")));
  EXPECT_EQ(rows->FieldValue(3), ado::Value(std::string("a")));
  EXPECT_EQ(rows->FieldValue(4), ado::Value(std::int64_t{1}));  // the counter
  rows->Move(2);
  for (int field = 0; field < 4; ++field) {
    EXPECT_TRUE(std::holds_alternative<std::monostate>(rows->FieldValue(field)));
  }

  // cdate's dates are dates.
  auto dates = Open("SELECT * FROM Dates", CursorLocation::kClient);
  EXPECT_EQ(dates->FieldValue(1), ado::Value(ado::Date{45296}));  // 5 January 2024
  EXPECT_EQ(connection_->Text(ado::Date{0.75}), "1899-12-30 18:00:00");

  // Read back through Text, every value is the stand-in's own text of it.
  engine::standin::StandInEngine standin;
  standin.Open(ConnectionString());
  const engine::Snapshot stored = standin.Query("SELECT * FROM T");
  for (std::size_t field = 0; field < stored.columns.size(); ++field) {
    std::vector<std::string> expected;
    for (const auto& row : stored.rows) expected.push_back(row[field].value_or("NULL"));
    standin.Close();
    EXPECT_EQ(Column("SELECT [" + stored.columns[field] + "] FROM T"), expected)
        << stored.columns[field];
    standin.Open(ConnectionString());
  }
}

TEST_F(ProviderTest, CursorPositionsAsAdoHasThem) {
  auto rows = Open("SELECT * FROM T");
  EXPECT_FALSE(rows->Eof());
  rows->Move(2);
  EXPECT_EQ(rows->FieldValue(3), ado::Value(std::monostate{}));
  rows->MoveNext();
  EXPECT_TRUE(rows->Eof()) << "after the last row";
  EXPECT_EQ(FailureOf([&] { rows->FieldValue(0); }), kNoCurrentRecord);
  EXPECT_EQ(FailureOf([&] { rows->MoveNext(); }), kNoCurrentRecord);
  EXPECT_EQ(FailureOf([&] { rows->Move(1); }), kNoCurrentRecord);
  rows->MoveFirst();
  rows->Move(10);
  EXPECT_TRUE(rows->Eof()) << "a move past the end stops there";
  rows->Move(-1);
  EXPECT_EQ(rows->FieldValue(3), ado::Value(std::monostate{}));

  auto empty = Open("SELECT * FROM Empty");
  EXPECT_TRUE(empty->Eof());
  EXPECT_EQ(FailureOf([&] { empty->MoveFirst(); }), kNoCurrentRecord);
  auto forward = Open("SELECT * FROM T", CursorLocation::kServer, CursorType::kForwardOnly);
  forward->MoveNext();
  EXPECT_NE(FailureOf([&] { forward->Move(-1); }), 0);
}

TEST_F(ProviderTest, ServerCursorWritesAtOnceAndAClientRecordsetIsACopy) {
  auto copy = Open("SELECT * FROM T", CursorLocation::kClient);
  auto rows = Open("SELECT * FROM T");
  rows->MoveNext();
  rows->SetValue(3, std::string("b"));
  EXPECT_EQ(rows->FieldValue(3), ado::Value(std::string("b")));
  EXPECT_EQ(Column("SELECT S FROM T")[1], "2024-01-05") << "nothing written before Update";
  rows->Update();
  EXPECT_EQ(Column("SELECT S FROM T")[1], "b");

  rows->SetValue(0, std::int64_t{99});
  rows->CancelUpdate();
  EXPECT_EQ(rows->FieldValue(0), ado::Value(std::int64_t{-3}));
  rows->SetValue(0, std::monostate{});
  rows->SetValue(2, ado::Date{45297});
  rows->MoveNext();  // moving off a changed row writes it
  EXPECT_EQ(Column("SELECT N FROM T")[1], "NULL");
  EXPECT_EQ(Column("SELECT D FROM T")[1], "2024-01-06");

  copy->MoveNext();
  EXPECT_EQ(copy->FieldValue(3), ado::Value(std::string("2024-01-05")));
  EXPECT_NE(FailureOf([&] {
              Open("SELECT * FROM T", CursorLocation::kServer, CursorType::kKeyset,
                   LockType::kReadOnly)
                  ->SetValue(3, std::string("c"));
            }),
            0);
}

TEST_F(ProviderTest, AFailedUpdateKeepsItsChangesUntilCancelled) {
  script_->Add({"Update", "t", 1, JetFailure(3218, "Could not update; currently locked")});
  auto rows = Open("SELECT * FROM T");
  rows->SetValue(3, std::string("first"));
  rows->Update();
  rows->MoveNext();
  rows->SetValue(3, std::string("second"));
  EXPECT_NE(FailureOf([&] { rows->Update(); }), 0);
  EXPECT_EQ(script_->Fired(), 1);
  EXPECT_EQ(rows->FieldValue(3), ado::Value(std::string("second")));
  rows->CancelUpdate();
  rows->MoveNext();
  EXPECT_EQ(Column("SELECT S FROM T"), (std::vector<std::string>{"first", "2024-01-05", "NULL"}));
}

TEST_F(ProviderTest, ConnectionStatesAndStatementsWithoutRows) {
  EXPECT_EQ(FailureOf([&] { connection_->Open(ConnectionString()); }),
            static_cast<std::int32_t>(0x800A0E79));
  EXPECT_EQ(Open("update T set S = 'x' where N = 7"), nullptr);
  EXPECT_EQ(Column("SELECT S FROM T")[0], "x") << "the statement ran";
  const std::vector<std::string> names = connection_->TableNames();
  EXPECT_EQ(names, (std::vector<std::string>{"Dates", "Empty", "T"}));

  auto rows = Open("SELECT * FROM T");
  connection_->Close();
  EXPECT_FALSE(connection_->IsOpen());
  const auto closed = static_cast<std::int32_t>(0x800A0E78);
  EXPECT_EQ(FailureOf([&] { rows->FieldValue(0); }), closed) << "its recordsets close with it";
  EXPECT_EQ(FailureOf([&] { connection_->Close(); }), closed);
  EXPECT_EQ(FailureOf([&] { connection_->Execute("delete from T"); }), closed);
}

TEST_F(ProviderTest, ScriptedFaultsFireOnceOnTheirSubjectAfterTheirSkip) {
  script_->Add({"Execute", "into U", 1, JetFailure(3218, "locked")});
  connection_->Execute("select * into V from T");
  connection_->Execute("select * into U from T");
  try {
    connection_->Execute("SELECT * INTO U2 FROM T");
    FAIL() << "the second statement over its subject fails";
  } catch (const ado::Failure& failure) {
    EXPECT_EQ(failure.native_errors(), std::vector<std::int32_t>{3218});
    EXPECT_EQ(failure.description(), "locked");
  }
  connection_->Execute("select * into U3 from T");
  EXPECT_EQ(script_->Fired(), 1);
}

}  // namespace
}  // namespace dt::testing
