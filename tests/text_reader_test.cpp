// Tests of the text driver's file reader: the record and field rules, header
// naming, line numbers, encoding detection and decoding, a named character
// set, and block boundaries (every case is read again with tiny blocks).
#include "engine/standin/text/text_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "engine/error.h"
#include "platform/ansi_decoder.h"
#include "platform/codepage.h"
#include "tests/chinese_names.h"

namespace dt::engine::standin {
namespace {

namespace fs = std::filesystem;
using Row = std::vector<std::optional<std::string>>;
using std::nullopt;
using namespace std::string_literals;
using platform::CharacterSet;

// A fresh directory for one test, removed with everything in it.
class TempDir {
 public:
  TempDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = fs::temp_directory_path() / ("text_reader_" + std::string(info->name()) + "_" +
                                         std::to_string(std::random_device{}()));
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  std::string Write(const std::string& name, const std::string& bytes) const {
    const fs::path file = path_ / name;
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file.string();
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

struct Read {
  std::vector<std::string> columns;
  std::size_t header_line = 0;
  std::vector<Row> rows;
  std::vector<std::size_t> lines;
  std::vector<std::size_t> field_counts;
};

Read ReadAll(const std::string& path, std::size_t block_size,
             CharacterSet character_set = CharacterSet::kDetect) {
  TextReader reader(path, character_set, block_size);
  Read read;
  read.columns = reader.Columns();
  read.header_line = reader.Line();
  std::vector<std::optional<std::string_view>> fields;
  while (reader.Next(fields)) {
    EXPECT_EQ(fields.size(), read.columns.size());
    Row row;
    for (const auto& field : fields) {
      row.push_back(field ? std::optional<std::string>(std::string(*field)) : nullopt);
    }
    read.rows.push_back(std::move(row));
    read.lines.push_back(reader.Line());
    read.field_counts.push_back(reader.RecordFieldCount());
  }
  return read;
}

std::string U8(std::u8string_view text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

constexpr std::size_t kBlockSizes[] = {1, 2, 3, 4, 5, 7, 16, TextReader::kDefaultBlockSize};

struct Case {
  const char* name;
  std::string input;
  std::vector<std::string> columns;
  std::vector<Row> rows;
  std::vector<std::size_t> lines;
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"crlf", "A,B\r\n1,2\r\n3,4\r\n", {"A", "B"}, {{"1", "2"}, {"3", "4"}}, {2, 3}},
      {"lone lf", "A,B\n1,2\n3,4\n", {"A", "B"}, {{"1", "2"}, {"3", "4"}}, {2, 3}},
      {"lone cr", "A,B\r1,2\r3,4\r", {"A", "B"}, {{"1", "2"}, {"3", "4"}}, {2, 3}},
      {"mixed ends, none at the end",
       "A,B\r\n1,2\r3,4\n5,6",
       {"A", "B"},
       {{"1", "2"}, {"3", "4"}, {"5", "6"}},
       {2, 3, 4}},
      {"quoted comma", "A,B\r\n\"x,y\",2\r\n", {"A", "B"}, {{"x,y", "2"}}, {2}},
      {"doubled quotes",
       "A,B\r\n\"say \"\"hi\"\"\",\"\"\"\"\r\n",
       {"A", "B"},
       {{"say \"hi\"", "\""}},
       {2}},
      {"line breaks inside quotes",
       "A,B\r\n\"a\r\nb\",\"c\rd\ne\"\r\nlast,x\r\n",
       {"A", "B"},
       {{"a\r\nb", "c\rd\ne"}, {"last", "x"}},
       {2, 6}},
      {"cr and lf split by a quote count twice",
       "A\r\n\"a\r\"\"\nb\"\r\nz\r\n",
       {"A"},
       {{"a\r\"\nb"}, {"z"}},
       {2, 5}},
      {"short and long rows",
       "A,B,C\r\n1\r\n1,2,3,4,5\r\n1,2\r\n",
       {"A", "B", "C"},
       {{"1", nullopt, nullopt}, {"1", "2", "3"}, {"1", "2", nullopt}},
       {2, 3, 4}},
      {"empty fields are null, quoted or not",
       "A,B,C,D\r\n,\"\",x,\r\n",
       {"A", "B", "C", "D"},
       {{nullopt, nullopt, "x", nullopt}},
       {2}},
      {"spaces kept", "A,B\r\n a , \"b\" \r\n", {"A", "B"}, {{" a ", " \"b\" "}}, {2}},
      {"empty lines skipped", "A\r\n\r\n\n1\r\n\r\r2\n\n", {"A"}, {{"1"}, {"2"}}, {4, 7}},
      {"line of spaces is a record", "A,B\r\n  \r\n", {"A", "B"}, {{"  ", nullopt}}, {2}},
      {"text after the closing quote", "A,B\r\n\"ab\"c,d\r\n", {"A", "B"}, {{"abc", "d"}}, {2}},
      {"quote inside an unquoted field", "A,B\r\na\"b,c\"\r\n", {"A", "B"}, {{"a\"b", "c\""}}, {2}},
      {"unterminated quote takes the rest but the file's last line end",
       "A,B\r\n1,\"abc\r\ndef,\r\n",
       {"A", "B"},
       {{"1", "abc\r\ndef,"}},
       {2}},
      {"unterminated quote before a last lone lf", "A\n\"x\ny\n", {"A"}, {{"x\ny"}}, {2}},
      {"unterminated quote before a last lone cr", "A\r\"x\ry\r", {"A"}, {{"x\ry"}}, {2}},
      {"unterminated quote without a last line end", "A\r\n\"x\r\ny", {"A"}, {{"x\r\ny"}}, {2}},
      {"unterminated quote gives up one line end only",
       "A\r\n\"x\r\n\r\n",
       {"A"},
       {{"x\r\n"}},
       {2}},
      {"unterminated quote before cr cr", "A\r\n\"x\r\r", {"A"}, {{"x\r"}}, {2}},
      {"unterminated quote ending in a doubled quote", "A\r\n\"x\"\"\r\n", {"A"}, {{"x\""}}, {2}},
      {"unterminated quote holding a line end only",
       "A,B\r\n1,\"\r\n",
       {"A", "B"},
       {{"1", nullopt}},
       {2}},
      {"quote closed at the end keeps its line end", "A\r\n\"x\r\n\"", {"A"}, {{"x\r\n"}}, {2}},
      {"zero byte is data",
       "A,B\r\n1\0x,2\r\n3,4\r\n"s,
       {"A", "B"},
       {{"1\0x"s, "2"}, {"3", "4"}},
       {2, 3}},
      {"header naming",
       " \tA\t ,,a,NAME,name,F2, ,\"Q,R\"\r\n",
       {"A", "F2", "a1", "NAME", "name1", "F21", "F7", "Q,R"},
       {},
       {}},
      {"repeats take the next free suffix",
       "X,X1,X,x\r\n1,2,3,4\r\n",
       {"X", "X1", "X2", "x3"},
       {{"1", "2", "3", "4"}},
       {2}},
      {"header only", "A,B", {"A", "B"}, {}, {}},
      {"empty file", "", {}, {}, {}},
      {"empty lines before the header", "\r\n\r\nA\r\n1\r\n", {"A"}, {{"1"}}, {4}},
      {"utf-8 text",
       U8(u8"名称,B\r\n中文,\"含,逗号\"\r\n"),
       {U8(u8"名称"), "B"},
       {{U8(u8"中文"), U8(u8"含,逗号")}},
       {2}},
      {"utf-8 byte-order mark",
       "\xEF\xBB\xBF"
       "A,B\r\n1,2\r\n",
       {"A", "B"},
       {{"1", "2"}},
       {2}},
      // They are no Chinese characters either: the file is code page 936,
      // read from its first byte.
      {"characters sharing the first bytes of the byte-order mark are text",
       U8(u8"\uF13F,\uFEC0\r\n\uFEC0,x\r\n"),
       {platform::AnsiToUtf8("\xEF\x84\xBF"), platform::AnsiToUtf8("\xEF\xBB\x80")},
       {{platform::AnsiToUtf8("\xEF\xBB\x80"), "x"}},
       {2}},
      {"a byte-order mark before characters sharing its first bytes",
       "\xEF\xBB\xBF" + U8(u8"\uF13F,\uFEC0\r\n\uFEC0,x\r\n"),
       {"_", "_1"},  // names code page 936 cannot hold (schema.ini is written in it)
       {{U8(u8"\uFEC0"), "x"}},
       {2}},
      {"byte-order mark alone", "\xEF\xBB\xBF", {}, {}, {}},
      {"code page 936 text",
       platform::Ansi(u8"名称,摘要\r\n现金,\"支付,办公费\"\r\nx,银行存款\r\n"),
       {U8(u8"名称"), U8(u8"摘要")},
       {{U8(u8"现金"), U8(u8"支付,办公费")}, {"x", U8(u8"银行存款")}},
       {2, 3}},
      {"utf-8 four-byte character after a byte-order mark",
       "\xEF\xBB\xBF" + U8(u8"A\r\n\U0001F600x,\r\n"),
       {"A"},
       {{U8(u8"\U0001F600x")}},
       {2}},
      {"utf-8 four-byte character alone is no Chinese text",
       U8(u8"A\r\n\U0001F600x,\r\n"),
       {"A"},
       {{platform::AnsiToUtf8("\xF0\x9F\x98\x80x")}},
       {2}},
      {"two utf-8 Chinese characters alone are code page 936",
       U8(u8"A\r\n现金\r\n"),
       {"A"},
       {{platform::AnsiToUtf8(U8(u8"现金"))}},
       {2}},
      {"code page 936 text that is well-formed utf-8",
       platform::Ansi(u8"A,B\r\n路平,水\r\n"),
       {"A", "B"},
       {{U8(u8"路平"), U8(u8"水")}},
       {2}},
      {"broken utf-8 after a long ascii stretch is code page 936",
       "A\r\nabcdefghijklmnopq\xC3(\r\n",
       {"A"},
       {{platform::AnsiToUtf8("abcdefghijklmnopq\xC3(")}},
       {2}},
      {"stray lead byte stays in its field", "A,B\r\n\x81,x\r\n", {"A", "B"}, {{"?", "x"}}, {2}},
  };
  return cases;
}

TEST(TextReaderTest, ReadsEveryCaseAlikeWhateverTheBlockSize) {
  TempDir dir;
  for (const Case& c : Cases()) {
    const std::string path = dir.Write("case.txt", c.input);
    for (std::size_t block : kBlockSizes) {
      SCOPED_TRACE(std::string(c.name) + ", block " + std::to_string(block));
      const Read read = ReadAll(path, block);
      EXPECT_EQ(read.columns, c.columns);
      EXPECT_EQ(read.rows, c.rows);
      EXPECT_EQ(read.lines, c.lines);
    }
  }
}

TEST(TextReaderTest, CountsTheFieldsEachRecordHeldInTheFile) {
  TempDir dir;
  const std::string path =
      dir.Write("n.txt", "A,B,C\r\n1\r\n1,2,3,4,5\r\n\"x,y\",\"\"\r\n,,\r\n\"a\r\nb\",\"c,\"\r\n");
  for (std::size_t block : kBlockSizes) {
    SCOPED_TRACE(block);
    EXPECT_EQ(ReadAll(path, block).field_counts, (std::vector<std::size_t>{1, 5, 2, 3, 2}));
  }
}

TEST(TextReaderTest, HeaderLineIsReportedBeforeTheFirstRecord) {
  TempDir dir;
  const Read read = ReadAll(dir.Write("h.txt", "\n\nA\n1\n"), 4);
  EXPECT_EQ(read.header_line, 3u);
}

// A file that looks like UTF-8 for a long stretch but is not, near its end,
// is read in code page 936 as a whole.
TEST(TextReaderTest, LateNonUtf8ByteMakesTheWholeFileCodePage936) {
  TempDir dir;
  const std::string ansi = platform::Ansi(u8"备注");
  std::string input = "A,B\r\n";
  for (int i = 0; i < 200; ++i) input += "row" + std::to_string(i) + ",x\r\n";
  input += "end," + ansi + "\r\n";
  const std::string path = dir.Write("late.txt", input);
  for (std::size_t block : {std::size_t{3}, std::size_t{64}, TextReader::kDefaultBlockSize}) {
    const Read read = ReadAll(path, block);
    ASSERT_EQ(read.rows.size(), 201u);
    EXPECT_EQ(read.rows.back()[1], U8(u8"备注"));
    EXPECT_EQ(read.lines.back(), 202u);
  }
}

TEST(TextReaderTest, UnfinishedUtf8SequenceAtTheEndIsNotUtf8) {
  TempDir dir;
  // E4 B8 AD is one character; cut after two bytes the file is not UTF-8,
  // and the two bytes read as one character of code page 936.
  const std::string path = dir.Write("cut.txt", "A\r\n\xE4\xB8");
  for (std::size_t block : kBlockSizes) {
    const Read read = ReadAll(path, block);
    ASSERT_EQ(read.rows.size(), 1u);
    EXPECT_EQ(read.rows[0][0], platform::AnsiToUtf8("\xE4\xB8"));
  }
}

TEST(TextReaderTest, RecordLongerThanManyBlocks) {
  TempDir dir;
  const std::string ansi_word = platform::Ansi(u8"金额");
  std::string long_text;
  for (int i = 0; i < 5000; ++i) long_text += ansi_word + ",\"\r\n";
  std::string quoted;
  for (char c : long_text) quoted += c == '"' ? "\"\"" : std::string(1, c);
  const std::string path = dir.Write("long.txt", "A,B\r\n\"" + quoted + "\",z\r\nnext\r\n");
  const Read read = ReadAll(path, 4096);
  ASSERT_EQ(read.rows.size(), 2u);
  EXPECT_EQ(read.rows[0][0], platform::AnsiToUtf8(long_text));
  EXPECT_EQ(read.rows[0][1], "z");
  EXPECT_EQ(read.lines[1], 2u + 5000u + 1u);
}

// A record far longer than the reader keeps buffers for, decoded, then the
// records after it: its bytes are let go once decoded, and nothing read
// later may lean on them.
TEST(TextReaderTest, HugeRecordIsLetGoAfterItIsDecoded) {
  TempDir dir;
  const std::string ansi_words = platform::Ansi(u8"支付现金，\r\n");
  std::string long_text;
  while (long_text.size() < (std::size_t{17} << 20)) long_text += ansi_words;
  const std::string path =
      dir.Write("huge.txt", "A,B,C\r\n1,\"" + long_text + "\",z\r\n" +
                                platform::Ansi(u8"2,金额,y\r\n3,\"x\r\ny\",w\r\n"));
  const Read read = ReadAll(path, TextReader::kDefaultBlockSize);
  ASSERT_EQ(read.rows.size(), 3u);
  EXPECT_TRUE(read.rows[0][1] == platform::AnsiToUtf8(long_text));
  EXPECT_EQ(read.rows[0][2], "z");
  EXPECT_EQ(read.rows[1], (Row{"2", U8(u8"金额"), "y"}));
  EXPECT_EQ(read.rows[2], (Row{"3", "x\r\ny", "w"}));
}

// A character set the caller names is taken whatever the bytes say: code
// page 936 for text that looks like UTF-8, UTF-8 for text too short to
// tell, with its byte-order mark skipped and each malformed sequence read
// as one '?', so that nothing but UTF-8 is handed out.
TEST(TextReaderTest, NamedCharacterSetIsRead) {
  TempDir dir;
  struct NamedCase {
    const char* name;
    CharacterSet character_set;
    std::string input;
    std::vector<std::string> columns;
    std::vector<Row> rows;
  };
  const std::string utf8_names = U8(u8"名称,摘要\r\n现金,银行存款\r\n");
  const std::vector<NamedCase> cases = {
      {"utf-8 too short to tell",
       CharacterSet::kUtf8,
       U8(u8"A,B\r\n现金,x\r\n"),
       {"A", "B"},
       {{U8(u8"现金"), "x"}}},
      {"utf-8 with a byte-order mark",
       CharacterSet::kUtf8,
       "\xEF\xBB\xBF" + U8(u8"A\r\n金\r\n"),
       {"A"},
       {{U8(u8"金")}}},
      {"utf-8 with malformed sequences",
       CharacterSet::kUtf8,
       "A,B\r\nab\xE4\xB8(\xFF,\xC3\r\n\xE4\xB8\xAD\xF0\x9F\x98\x80,\"\xC0\x80\"\"\"\r\n",
       {"A", "B"},
       {{"ab?(?", "?"}, {U8(u8"中\U0001F600"), "?\""}}},
      {"utf-8 header with a malformed sequence",
       CharacterSet::kUtf8,
       "N\xE4\r\n1\r\n",
       {"N?"},
       {{"1"}}},
      {"code page 936 over plain utf-8",
       CharacterSet::kCodePage936,
       utf8_names,
       {platform::AnsiToUtf8(U8(u8"名称")), platform::AnsiToUtf8(U8(u8"摘要"))},
       {{platform::AnsiToUtf8(U8(u8"现金")), platform::AnsiToUtf8(U8(u8"银行存款"))}}},
      {"code page 936 keeps a byte-order mark as text",
       CharacterSet::kCodePage936,
       "\xEF\xBB\xBF" + utf8_names,
       {platform::AnsiToUtf8("\xEF\xBB\xBF" + U8(u8"名称")), platform::AnsiToUtf8(U8(u8"摘要"))},
       {{platform::AnsiToUtf8(U8(u8"现金")), platform::AnsiToUtf8(U8(u8"银行存款"))}}},
      {"detected, the same plain utf-8",
       CharacterSet::kDetect,
       utf8_names,
       {U8(u8"名称"), U8(u8"摘要")},
       {{U8(u8"现金"), U8(u8"银行存款")}}},
  };
  for (const NamedCase& c : cases) {
    const std::string path = dir.Write("named.txt", c.input);
    for (std::size_t block : kBlockSizes) {
      SCOPED_TRACE(std::string(c.name) + ", block " + std::to_string(block));
      const Read read = ReadAll(path, block, c.character_set);
      EXPECT_EQ(read.columns, c.columns);
      EXPECT_EQ(read.rows, c.rows);
      for (const Row& row : read.rows) {
        for (const auto& value : row) EXPECT_TRUE(!value || platform::IsValidUtf8(*value));
      }
    }
  }
}

// Names in code page 936 that happen to be well-formed UTF-8 are read in
// code page 936; ordinary names written in UTF-8 are read as UTF-8.
TEST(TextReaderTest, ChineseNamesAreReadInTheirOwnEncoding) {
  TempDir dir;
  std::mt19937 random(20);
  const std::vector<std::string> all = testing::Gb2312Characters(false);
  int read_files = 0;
  for (int i = 0; read_files < 100; ++i) {
    ASSERT_LT(i, 100000) << "too few names that are UTF-8 too";
    const std::string name = testing::RandomName(random, all, 1, 6);
    if (!platform::IsValidUtf8(name)) continue;
    ++read_files;
    const Read read = ReadAll(dir.Write("gbk.txt", "A,B\r\n1," + name + "\r\n"), 4096);
    ASSERT_EQ(read.rows, (std::vector<Row>{{"1", platform::AnsiToUtf8(name)}}))
        << ::testing::PrintToString(name);
  }
  const std::vector<std::string> common = testing::Gb2312Characters(true);
  for (int i = 0; i < 100; ++i) {
    const std::string first = platform::AnsiToUtf8(testing::RandomName(random, common, 2, 10));
    const std::string second = platform::AnsiToUtf8(testing::RandomName(random, common, 2, 10));
    const Read read =
        ReadAll(dir.Write("utf8.txt", "A,B\r\n1," + first + "\r\n2," + second + "\r\n"), 4096);
    ASSERT_EQ(read.rows, (std::vector<Row>{{"1", first}, {"2", second}}))
        << ::testing::PrintToString(first);
  }
}

TEST(TextReaderTest, MissingFileErrorNamesIt) {
  TempDir dir;
  const std::string path = (dir.path() / "NOPE.TXT").string();
  try {
    TextReader reader(path);
    FAIL() << "no error for a missing file";
  } catch (const Error& e) {
    EXPECT_EQ(e.kind(), ErrorKind::kNotFound);
    ASSERT_TRUE(e.where());
    EXPECT_EQ(e.where()->file, path);
    EXPECT_EQ(e.where()->step, TextStep::kOpen);
    EXPECT_EQ(Message(e).rfind("Cannot open text file \"" + path + "\": ", 0), 0u) << Message(e);
  }
}

// The system failing to read a file is an I/O failure, told apart from a
// file that is not there or not a table.
TEST(TextReaderTest, UnreadablePathErrorNamesIt) {
  TempDir dir;
  const std::string path = dir.path().string();  // a folder opens, but cannot be read
  try {
    TextReader reader(path);
    FAIL() << "no error for a folder";
  } catch (const Error& e) {
    EXPECT_EQ(e.kind(), ErrorKind::kIo) << Message(e);
    ASSERT_TRUE(e.where());
    EXPECT_EQ(e.where()->file, path);
    EXPECT_EQ(e.where()->byte, 0);
  }
}

// Offsets of the records' first bytes: past a byte-order mark, empty lines
// and line breaks inside quotes, whatever the block size.
TEST(TextReaderTest, OffsetIsWhereEachRecordStarts) {
  TempDir dir;
  const std::string input =
      "\xEF\xBB\xBF"
      "A,B\r\n\r\n1,\"x\r\ny\"\n\r2,\"\"\"q\"\r\nlast";
  const std::string path = dir.Write("offsets.txt", input);
  const std::vector<std::int64_t> expected = {static_cast<std::int64_t>(input.find("1,")),
                                              static_cast<std::int64_t>(input.find("2,")),
                                              static_cast<std::int64_t>(input.find("last"))};
  for (std::size_t block : kBlockSizes) {
    SCOPED_TRACE(block);
    TextReader reader(path, block);
    EXPECT_EQ(reader.Offset(), 3);
    std::vector<std::int64_t> offsets;
    std::vector<std::optional<std::string_view>> fields;
    while (reader.Next(fields)) offsets.push_back(reader.Offset());
    EXPECT_EQ(offsets, expected);
  }
}

TEST(AnsiDecoderTest, GivesTheSameTextAsTheSystemConversion) {
  const std::vector<std::string> inputs = {
      "",
      "plain ascii",
      platform::Ansi(u8"凭证摘要：支付办公费"),
      "\x81",          // lead byte at the end
      "\x81\x20tail",  // lead byte before a byte that cannot follow it
      "a\xFF"
      "b",     // not a character
      "\x80",  // the euro sign
      "\xA1\x7F"
      "x",      // lead byte and a byte that is never a trail byte
      "x\0y"s,  // zero byte
      platform::Ansi(u8"混合 mixed 文本") + "\x81",
      "\xAA\xA1\xFE\xFE\xA1\x40\xA7\xA0",  // user-defined characters
  };
  platform::AnsiDecoder decoder;
  for (const std::string& input : inputs) {
    std::string out = "prefix";
    decoder.Append(input, out);
    EXPECT_EQ(out, "prefix" + platform::AnsiToUtf8(input)) << "input size " << input.size();
  }
}

// Every byte and every pair of bytes, and random runs of bytes, decode as
// the system converts them, characters and refusals alike.
TEST(AnsiDecoderTest, DecodesEveryByteAndPairAsTheSystemConversion) {
  platform::AnsiDecoder decoder;
  std::string all;
  for (int first = 0; first < 256; ++first) {
    for (int second = -1; second < 256; ++second) {
      std::string input(1, static_cast<char>(first));
      if (second >= 0) input += static_cast<char>(second);
      all += input + "|";
      std::string out;
      decoder.Append(input, out);
      ASSERT_EQ(out, platform::AnsiToUtf8(input)) << ::testing::PrintToString(input);
    }
  }
  std::string out;
  decoder.Append(all, out);
  EXPECT_EQ(out, platform::AnsiToUtf8(all));
  std::mt19937 random(936);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> length(0, 40);
  for (int i = 0; i < 20000; ++i) {
    std::string bytes;
    for (int n = length(random); n > 0; --n) bytes += static_cast<char>(byte(random));
    out.clear();
    decoder.Append(bytes, out);
    ASSERT_EQ(out, platform::AnsiToUtf8(bytes)) << ::testing::PrintToString(bytes);
  }
}

// The decoder takes the room the text needs, not the three bytes per byte
// that the longest case would: a huge field is held once, at its size.
TEST(AnsiDecoderTest, TakesNoMoreRoomThanTheTextNeeds) {
  const std::string ansi_words = platform::Ansi(u8"凭证摘要：支付办公费 cash €5, ");
  std::string input;
  while (input.size() < (std::size_t{1} << 20)) input += ansi_words;
  platform::AnsiDecoder decoder;
  std::string out;
  decoder.Append(input, out);
  EXPECT_EQ(out, platform::AnsiToUtf8(input));
  EXPECT_LE(out.capacity(), out.size() + out.size() / 16);
}

// The bound that room is taken by holds for any bytes: pairs that are no
// character, stray lead bytes, the bytes the system maps one by one.
TEST(AnsiDecoderTest, SizeBoundHoldsForAnyBytes) {
  std::mt19937 random(80);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> length(0, 40);
  for (int i = 0; i < 20000; ++i) {
    std::string bytes;
    for (int n = length(random); n > 0; --n) bytes += static_cast<char>(byte(random));
    ASSERT_LE(platform::AnsiToUtf8(bytes).size(), platform::AnsiToUtf8SizeBound(bytes))
        << ::testing::PrintToString(bytes);
  }
}

}  // namespace
}  // namespace dt::engine::standin
