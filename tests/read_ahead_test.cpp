// The read-ahead of text records: everything the source gives arrives, in
// order and unchanged, whatever the record sizes; a failure of the source
// arrives after the records read before it; the reading thread keeps only a
// bounded amount ahead, lends a large record rather than copy it, and stops
// when the reader is let go early.
#include "engine/standin/text/read_ahead.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#endif

#include "engine/error.h"

namespace dt::engine::standin {
namespace {

using Fields = std::vector<std::optional<std::string_view>>;

// Records 0..count-1 of three fields: the number, a text of size_of(i)
// bytes (NULL for every third record) and an empty text that is not NULL.
// Record i starts on line 2 + 2i at byte 100i. With fail_at set, reading
// that record fails.
class CountingSource : public RecordSource {
 public:
  CountingSource(std::size_t count, std::function<std::size_t(std::size_t)> size_of,
                 std::optional<std::size_t> fail_at = std::nullopt)
      : count_(count), size_of_(std::move(size_of)), fail_at_(fail_at) {}

  const std::vector<std::string>& Columns() const override { return columns_; }

  bool Next(Fields& fields) override {
    const std::size_t i = produced_;
    if (fail_at_ && i == *fail_at_) {
      throw Error(
          ErrorKind::kIo, "the disk failed",
          TextPosition{"F.txt", static_cast<std::int64_t>(Line(i)), Offset(i), TextStep::kRead});
    }
    if (i == count_) return false;
    number_ = std::to_string(i);
    text_.assign(size_of_(i), static_cast<char>('a' + i % 26));
    fields = {number_, i % 3 == 0 ? std::nullopt : std::optional<std::string_view>(text_),
              std::string_view()};
    ++produced_;
    return true;
  }
  std::size_t Line() const override { return Line(produced_ - 1); }
  std::int64_t Offset() const override { return Offset(produced_ - 1); }

  static std::size_t Line(std::size_t i) { return 2 + 2 * i; }
  static std::int64_t Offset(std::size_t i) { return static_cast<std::int64_t>(100 * i); }
  std::size_t Produced() const { return produced_; }
  // Where the last record's text is held.
  const char* TextData() const { return text_.data(); }

 private:
  const std::vector<std::string> columns_ = {"N", "TEXT", "EMPTY"};
  std::size_t count_;
  std::function<std::size_t(std::size_t)> size_of_;
  std::optional<std::size_t> fail_at_;
  std::atomic<std::size_t> produced_ = 0;
  std::string number_;
  std::string text_;
};

// Checks record i as handed out; returns false (after reporting) when it
// is not the source's.
bool Matches(const ReadAhead& ahead, const Fields& fields, std::size_t i,
             const std::function<std::size_t(std::size_t)>& size_of) {
  const bool as_given =
      fields.size() == 3 && fields[0] == std::to_string(i) &&
      (i % 3 == 0 ? !fields[1].has_value()
                  : fields[1] == std::string(size_of(i), static_cast<char>('a' + i % 26))) &&
      fields[2].has_value() && fields[2]->empty() && ahead.Line() == CountingSource::Line(i) &&
      ahead.Offset() == CountingSource::Offset(i);
  EXPECT_TRUE(as_given) << "record " << i;
  return as_given;
}

TEST(ReadAhead, HandsOutEveryRecordInOrderWhateverTheirSizes) {
  constexpr std::size_t kHuge = ReadAhead::kBytesAhead + 12345;
  struct Case {
    std::string name;
    std::size_t count;
    std::function<std::size_t(std::size_t)> size_of;
  };
  const std::vector<Case> cases = {
      {"none", 0, [](std::size_t) { return std::size_t{0}; }},
      {"one", 1, [](std::size_t) { return std::size_t{7}; }},
      {"many small, several batches", 50000, [](std::size_t i) { return i % 40; }},
      {"a few of a kilobyte and more", 9000, [](std::size_t i) { return 1000 + i % 300; }},
      {"huge among small", 7, [](std::size_t i) { return i == 2 || i == 4 ? kHuge : i; }},
      {"huge ones in a row", 4, [](std::size_t) { return ReadAhead::kLendBytes; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CountingSource source(c.count, c.size_of);
    ReadAhead ahead(source);
    EXPECT_EQ(ahead.Columns(), source.Columns());
    Fields fields;
    std::size_t handed = 0;
    while (ahead.Next(fields)) {
      if (!Matches(ahead, fields, handed, c.size_of)) break;
      if (c.size_of(handed) >= ReadAhead::kLendBytes && fields[1]) {
        // Lent as the source holds it, not copied; the source waits for it.
        EXPECT_EQ(fields[1]->data(), source.TextData()) << "record " << handed;
      }
      ++handed;
    }
    EXPECT_EQ(handed, c.count);
    EXPECT_FALSE(ahead.Next(fields));  // the end stays the end
  }
}

// A caller that keeps each column's field as last seen where it did not
// repeat (as the import keeps its bindings) holds every record's fields,
// across batches and lent records; the first record repeats nothing, and
// only a field equal to the one before is told to repeat.
TEST(ReadAhead, RepeatedFieldsStayValidAsTheRecordBeforeHeldThem) {
  const std::vector<std::function<std::size_t(std::size_t)>> sizes = {
      [](std::size_t) { return std::size_t{0}; },  // TEXT "" or NULL: repeats often
      [](std::size_t i) { return i == 3000 || i == 3001 ? ReadAhead::kLendBytes : i / 500; },
  };
  for (std::size_t s = 0; s < sizes.size(); ++s) {
    SCOPED_TRACE(s);
    CountingSource source(20000, sizes[s]);
    ReadAhead ahead(source);
    Fields fields;
    Fields kept(3);
    std::size_t handed = 0;
    std::size_t repeated = 0;
    while (ahead.Next(fields)) {
      for (std::size_t c = 0; c < fields.size(); ++c) {
        if (!ahead.Repeats(c)) {
          kept[c] = fields[c];
          continue;
        }
        ++repeated;
        ASSERT_GT(handed, 0u);
        ASSERT_NE(c, 0u) << "record " << handed << ": the numbers never repeat";
        ASSERT_EQ(kept[c], fields[c]) << "record " << handed << ", column " << c;
      }
      ++handed;
    }
    EXPECT_EQ(handed, 20000u);
    EXPECT_GT(repeated, 20000u) << "the empty column repeats within each batch";
  }
}

// A record lent after records whose fields repeat repeats nothing itself:
// a caller keeping the fields it saw (the import's bindings) would store
// the record before's values for it.
TEST(ReadAhead, ALentRecordAfterRepeatingFieldsRepeatsNothing) {
  class Source : public RecordSource {
   public:
    const std::vector<std::string>& Columns() const override { return columns_; }
    bool Next(Fields& fields) override {
      if (produced_ == 12) return false;
      // Records 0-9 alike; 10 lent, unlike them; 11 as 10 but small.
      large_.assign(ReadAhead::kLendBytes, 'z');
      fields = {produced_ == 10 ? std::string_view(large_) : std::string_view("x"),
                produced_ < 10 ? "y" : "w"};
      ++produced_;
      return true;
    }
    std::size_t Line() const override { return produced_; }
    std::int64_t Offset() const override { return 0; }

   private:
    const std::vector<std::string> columns_ = {"A", "B"};
    std::string large_;
    std::size_t produced_ = 0;
  } source;
  ReadAhead ahead(source);
  Fields fields;
  Fields kept(2);
  std::size_t handed = 0;
  while (ahead.Next(fields)) {
    for (std::size_t c = 0; c < fields.size(); ++c) {
      if (!ahead.Repeats(c)) kept[c] = fields[c];
      EXPECT_EQ(kept[c], fields[c]) << "record " << handed << ", column " << c;
    }
    if (handed == 10) {
      EXPECT_FALSE(ahead.Repeats(0) || ahead.Repeats(1)) << "the lent record";
    }
    ++handed;
  }
  EXPECT_EQ(handed, 12u);
}

TEST(ReadAhead, SourceFailureComesAfterTheRecordsReadBeforeIt) {
  for (const std::size_t fail_at : {std::size_t{0}, std::size_t{1}, std::size_t{5000}}) {
    SCOPED_TRACE(fail_at);
    const auto size_of = [](std::size_t i) { return i % 50; };
    CountingSource source(10000, size_of, fail_at);
    ReadAhead ahead(source);
    Fields fields;
    std::size_t handed = 0;
    try {
      while (ahead.Next(fields) && Matches(ahead, fields, handed, size_of)) ++handed;
      ADD_FAILURE() << "no failure after " << handed << " records";
    } catch (const Error& error) {
      EXPECT_EQ(handed, fail_at);
      EXPECT_EQ(error.kind(), ErrorKind::kIo);
      ASSERT_TRUE(error.where());
      EXPECT_EQ(error.where()->line, static_cast<std::int64_t>(CountingSource::Line(fail_at)));
    }
  }
}

TEST(ReadAhead, ReadsOnlyABoundedWayAheadAndStopsWhenLetGo) {
  constexpr std::size_t kRecordBytes = 1000;
  CountingSource source(1000000, [](std::size_t) { return kRecordBytes; });
  {
    ReadAhead ahead(source);
    Fields fields;
    ASSERT_TRUE(ahead.Next(fields));
    // Long enough for the reading thread to read all it may.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    // What it may: about kBytesAhead waiting, and the batch being filled.
    EXPECT_LT(source.Produced() * kRecordBytes, 2 * ReadAhead::kBytesAhead);
    EXPECT_GT(source.Produced(), 1u);
  }  // let go with most of the records unread: must not wait for them
  EXPECT_LT(source.Produced(), 1000000u);
}

#if !defined(_WIN32) && !defined(__SANITIZE_ADDRESS__)
// Leaves this process `extra` bytes of address space beyond what it uses.
void LimitAddressSpace(std::size_t extra) {
  std::size_t pages = 0;
  std::ifstream("/proc/self/statm") >> pages;
  rlimit limit{};
  getrlimit(RLIMIT_AS, &limit);
  limit.rlim_cur =
      static_cast<rlim_t>(pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE)) + extra);
  setrlimit(RLIMIT_AS, &limit);
}

// No room is left for the reading thread's stack: the thread cannot start,
// which is a failure of the system, not of the file. In a process of its
// own, where no stack of an earlier thread is kept for reuse.
TEST(ReadAheadDeathTest, AThreadThatCannotStartIsAFailureOfTheSystem) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        CountingSource source(3, [](std::size_t) { return 1; });
        LimitAddressSpace(std::size_t{1} << 20);
        int status = 1;  // the thread started
        try {
          ReadAhead ahead(source);
        } catch (const Error& error) {
          status = error.kind() == ErrorKind::kResources ? 0 : 2;
        }
        std::_Exit(status);
      },
      ::testing::ExitedWithCode(0), "");
}
#endif

}  // namespace
}  // namespace dt::engine::standin
