// Staging: the streaming rewrite checked against the line list's load,
// delete, insert and save on the same input, and staging of real files with
// its errors.
#include "src/staging/staging.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "src/staging/catalogue.h"
#include "src/staging/line_list.h"
#include "src/staging/staged_text.h"
#include "src/workdb/schema_ini.h"
#include "src/workdb/work_paths.h"
#include "tests/faulty_disk.h"
#include "tests/header_fields.h"
#include "tests/staging_temp_dir.h"

namespace dt {
namespace {

using namespace std::string_literals;
using platform::Ansi;
using platform::PathDelim;
using platform::SystemErrorText;
using testing::EntryNames;
using testing::FieldsOf;
using testing::Native;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

const std::string kHeader = "H1,H2";

using Fields = std::vector<std::string>;

std::string U8(std::u8string_view text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

// What staging must write, computed the slow way through a line list;
// nullopt when the line list raises the list index error for line 0.
std::optional<std::string> Reference(const std::string& source, const std::string* header) {
  LineList list;
  list.SetText(source);
  if (list.Count() == 0) return std::nullopt;
  LineList staged;
  staged.Add(header != nullptr ? *header : list.Get(0));
  for (int i = 1; i < list.Count(); ++i) staged.Add(list.Get(i));
  return staged.GetText();
}

// Runs the streaming writer over `source` cut at `cuts` (ascending offsets).
std::optional<std::string> Stream(const std::string& source, const std::string* header,
                                  const std::vector<std::size_t>& cuts, std::size_t flush_size) {
  std::string out;
  StagedTextWriter writer(
      header, [&out](std::string_view bytes) { out.append(bytes); }, flush_size);
  std::size_t from = 0;
  std::vector<std::size_t> ends = cuts;
  ends.push_back(source.size());
  for (std::size_t end : ends) {
    if (!writer.Feed(std::string_view(source).substr(from, end - from))) break;
    from = end;
  }
  try {
    writer.Finish();
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (0)");
    EXPECT_EQ(out, "");  // nothing reached the sink
    return std::nullopt;
  }
  return out;
}

const std::vector<std::string> kSources = {
    "",
    "\0"s,
    "\0a\r\nb"s,
    "first",
    "first\r\n",
    "\r\n",
    "\r",
    "\n",
    "\n\r",
    "first\r\nsecond",
    "first\r\nsecond\r\n",
    "first\nsecond\nthird\n",
    "first\rsecond\rthird",
    "first\n\rsecond\r\rthird\n\n",
    "first\r\nse\0cond\r\nthird"s,
    "first\r\n\0"s,
    "first\0second"s,
    "\xEF\xBB\xBF"
    "h\r\n\xD6\xD0,\xCE\xC4\r\n",
    "a\r\n\r\n\r\nb\r",
};

TEST(StagedTextWriterTest, MatchesTheLineListAtEveryBlockBoundary) {
  for (const std::string& source : kSources) {
    for (const std::string* header : {&kHeader, static_cast<const std::string*>(nullptr)}) {
      const auto expected = Reference(source, header);
      for (std::size_t flush : {std::size_t{1}, std::size_t{4}, std::size_t{1} << 20}) {
        EXPECT_EQ(Stream(source, header, {}, flush), expected) << source;
        for (std::size_t cut = 0; cut <= source.size(); ++cut) {
          EXPECT_EQ(Stream(source, header, {cut}, flush), expected) << source << " cut " << cut;
        }
        std::vector<std::size_t> bytewise;
        for (std::size_t i = 1; i < source.size(); ++i) bytewise.push_back(i);
        EXPECT_EQ(Stream(source, header, bytewise, flush), expected) << source;
      }
    }
  }
}

TEST(StagedTextWriterTest, MatchesTheLineListOnRandomText) {
  std::mt19937 random(20261207);
  const std::string alphabet = "ab,\r\n\r\n\xD6";
  for (int round = 0; round < 400; ++round) {
    std::string source;
    const int length = static_cast<int>(random() % 60);
    for (int i = 0; i < length; ++i) source += alphabet[random() % alphabet.size()];
    if (random() % 10 == 0 && !source.empty()) source[random() % source.size()] = '\0';
    std::vector<std::size_t> cuts;
    std::size_t at = 0;
    while (source.size() > 0 && (at += 1 + random() % 7) < source.size()) cuts.push_back(at);
    const std::size_t flush = 1 + random() % 16;
    EXPECT_EQ(Stream(source, &kHeader, cuts, flush), Reference(source, &kHeader)) << round;
    EXPECT_EQ(Stream(source, nullptr, cuts, flush), Reference(source, nullptr)) << round;
  }
}

TEST(StagedTextWriterTest, StopsAskingForInputAtAZeroByte) {
  std::string out;
  StagedTextWriter writer(&kHeader, [&out](std::string_view b) { out.append(b); });
  EXPECT_TRUE(writer.Feed("old\r\nline"));
  EXPECT_FALSE(writer.Feed("2\0rest"s));
  writer.Finish();
  EXPECT_EQ(out, "H1,H2\r\nline2\r\n");
  EXPECT_EQ(writer.LineCount(), 2);
}

// A base directory with its staging folder and a folder of sources.
class StageFileTest : public ::testing::Test {
 protected:
  StageFileTest() {
    std::filesystem::create_directory(dir_ / "TemplateTemp");
    std::filesystem::create_directory(dir_ / "src");
  }
  std::string Base() const { return dir_.path() + PathDelim; }
  // Where the run stages: the base's staging folder as the run finds it.
  static std::string StagingDirectory(const std::string& base) {
    return MakeWorkPaths(base).staging_directory;
  }
  std::string StagingDirectory() const { return StagingDirectory(Base()); }
  std::string Source(const std::string& name) const { return dir_ / ("src/" + name); }
  std::string Staged(const std::string& name) const { return dir_ / ("TemplateTemp/" + name); }
  // Writes a source file, stages it, checks that the source is unchanged.
  std::string StageBytes(const std::string& name, const std::string& bytes) {
    WriteBytes(Source(name), bytes);
    const std::string returned = StageFile(Source(name), StagingDirectory()).file_name;
    EXPECT_EQ(returned, name);
    EXPECT_EQ(ReadBytes(Source(name)), bytes);
    return ReadBytes(Staged(name));
  }

  TempDir dir_;
};

TEST_F(StageFileTest, ReplacesTheFirstLineAndEndsEveryLineWithCrLf) {
  const std::string& book = *HeaderLineFor("BOOK.TXT");
  struct Case {
    const char* name;
    std::string source;
    std::string staged;
  };
  const std::vector<Case> cases = {
      {"CR LF", "old header\r\n1,2\r\n3,4\r\n", book + "\r\n1,2\r\n3,4\r\n"},
      {"LF", "old header\n1,2\n3,4\n", book + "\r\n1,2\r\n3,4\r\n"},
      {"CR", "old header\r1,2\r3,4", book + "\r\n1,2\r\n3,4\r\n"},
      {"single line", "data,not,a,header", book + "\r\n"},
      {"no final line end", "h\r\n\xD6\xD0,5", book + "\r\n\xD6\xD0,5\r\n"},
      {"empty first line", "\r\nx", book + "\r\nx\r\n"},
      {"zero byte ends the text", "h\r\nx\r\ny\0z\r\nw"s, book + "\r\nx\r\ny\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(StageBytes("BOOK.TXT", c.source), c.staged) << c.name;
}

// The staged copy is written on a thread of its own, block after block: a
// large file comes out whole and in order, and a write the disk refuses
// fails the staging, with no staged file left.
TEST_F(StageFileTest, ALargeFileIsStagedInOrderAndAFailedWriteFailsIt) {
  std::string source = "old header\n";
  std::string staged = *HeaderLineFor("BOOK.TXT") + "\r\n";
  for (int line = 0; source.size() < (std::size_t{6} << 20); ++line) {
    const std::string text = std::to_string(line) + ",\xD6\xD0," + std::string(line % 97, 'x');
    source += text + "\n";
    staged += text + "\r\n";
  }
  EXPECT_EQ(StageBytes("BOOK.TXT", source), staged);
  // The disk fails a middle block (a later write reports it), the last
  // block, or the only block of a small file (only the end of the writing
  // can tell).
  const std::string small = "old header\n1,2\n";
  const std::string small_staged = *HeaderLineFor("BOOK.TXT") + "\r\n1,2\r\n";
  const struct {
    const char* what;
    const std::string& source;
    std::uint64_t written;  // bytes the disk takes
  } failures[] = {
      {"a middle block", source, std::uint64_t{2} << 20},
      {"the last block", source, staged.size() - 1},
      {"the only block", small, small_staged.size() - 1},
      {"the only block, from its first byte", small, 0},
  };
  const std::string full = "Stream write error. " + SystemErrorText(testing::kDiskFullError);
  for (const auto& failure : failures) {
    SCOPED_TRACE(failure.what);
    WriteBytes(Source("BOOK.TXT"), failure.source);
    std::filesystem::remove(Staged("BOOK.TXT"));
    testing::FaultyDisk disk;
    disk.FailWritesAfter("book.txt", failure.written);
    try {
      StageFile(Source("BOOK.TXT"), StagingDirectory());
      ADD_FAILURE() << "staged";
    } catch (const EWriteError& e) {
      EXPECT_EQ(e.Message(), full);
    }
    EXPECT_FALSE(std::filesystem::exists(Staged("BOOK.TXT")));
  }
}

TEST_F(StageFileTest, LowerCaseNameGetsTheCatalogueHeaderAndKeepsItsCase) {
  EXPECT_EQ(StageBytes("book.txt", "x\r\n1\r\n"), *HeaderLineFor("BOOK.TXT") + "\r\n1\r\n");
  // The name on disk, not a lookup, shows the case where names ignore it.
  EXPECT_EQ(EntryNames(dir_ / "TemplateTemp"), std::vector<std::string>{"book.txt"});
  EXPECT_EQ(StageBytes("Remain.Txt", "x\n1"), *HeaderLineFor("REMAIN.TXT") + "\r\n1\r\n");
}

TEST_F(StageFileTest, UnknownFileKeepsItsOwnHeader) {
  // Staged right after a known file: the earlier header must not carry over.
  StageBytes("BOOK.TXT", "x\r\n1\r\n");
  EXPECT_EQ(StageBytes("notes.txt", "A,B\n1,2\n"), "A,B\r\n1,2\r\n");
}

TEST_F(StageFileTest, LargeFileWithCrLfAcrossTheReadBlockMatchesTheLineList) {
  const std::size_t block = std::size_t{1} << 20;
  std::string source = "header line\r\n";
  int row = 0;
  while (source.size() < block - 40) source += "row," + std::to_string(row++) + ",\xD6\xD0\n";
  source.append(block - 1 - source.size(), 'x');
  source += "\r\n";  // CR is the last byte of the first block, LF the first of the next
  ASSERT_EQ(source[block - 1], '\r');
  ASSERT_EQ(source[block], '\n');
  while (source.size() < 2 * block + 100) source += "row," + std::to_string(row++) + "\r";
  source += "tail without end";
  const std::string* header = HeaderLineFor("BOOKDETAIL.TXT");
  EXPECT_EQ(StageBytes("BOOKDETAIL.TXT", source), Reference(source, header).value());
}

TEST_F(StageFileTest, ReplacesAStagedFileOfAnEarlierRun) {
  WriteBytes(Staged("ITEM.TXT"), "stale staged content that is longer\r\n");
  EXPECT_EQ(StageBytes("ITEM.TXT", "h\r\nnew\r\n"), *HeaderLineFor("ITEM.TXT") + "\r\nnew\r\n");
  EXPECT_EQ(EntryNames(dir_ / "TemplateTemp").size(), 1u);
}

TEST_F(StageFileTest, FindsTheStagingFolderIgnoringCase) {
  TempDir other;
  std::filesystem::create_directory(other / "templatetemp");
  WriteBytes(other / "LOAN.TXT", "h\r\n1\r\n");
  EXPECT_EQ(StageFile(other / "LOAN.TXT", StagingDirectory(other.path() + PathDelim)).file_name,
            "LOAN.TXT");
  EXPECT_EQ(ReadBytes(other / "templatetemp/LOAN.TXT"), *HeaderLineFor("LOAN.TXT") + "\r\n1\r\n");
}

TEST_F(StageFileTest, UnreadableSourceEndsWithACopyErrorAndKeepsTheStaleFile) {
  WriteBytes(Staged("BOOK.TXT"), "from an earlier run\r\n");
  const std::string staged_path = Base() + Native("/TemplateTemp/BOOK.TXT");
  try {
    StageFile(Source("BOOK.TXT"), StagingDirectory());
    FAIL() << "no error";
  } catch (const EFOpenError&) {
    FAIL() << "a copy error, not a load error, is expected";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Cannot copy file \"" + Source("BOOK.TXT") + "\" to \"" + staged_path +
                               "\". " + SystemErrorText(platform::kFileNotFound));
  }
  EXPECT_EQ(ReadBytes(Staged("BOOK.TXT")), "from an earlier run\r\n");

  std::filesystem::create_directory(Source("folder.txt"));  // opens, but cannot be read
  EXPECT_THROW(StageFile(Source("folder.txt"), StagingDirectory()), Exception);
  EXPECT_EQ(EntryNames(dir_ / "TemplateTemp").size(), 1u);
}

TEST_F(StageFileTest, SourceThatIsTheStagedFileIsNeverWritten) {
  const std::string bytes = "export header\r\n1,2\r\n";
  WriteBytes(Staged("BOOK.TXT"), bytes);
  try {
    StageFile(Staged("BOOK.TXT"), StagingDirectory());
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message().rfind("Cannot copy file \"" + Staged("BOOK.TXT") + "\" to \"", 0), 0u)
        << e.Message();
  }
  EXPECT_EQ(ReadBytes(Staged("BOOK.TXT")), bytes);
}

TEST_F(StageFileTest, SourceWithoutAnyLineRaisesTheListIndexError) {
  for (const std::string& bytes : {""s, "\0header\r\nrow\r\n"s}) {
    WriteBytes(Source("BOOK.TXT"), bytes);
    try {
      StageFile(Source("BOOK.TXT"), StagingDirectory());
      FAIL() << "no error";
    } catch (const EStringListError& e) {
      EXPECT_EQ(e.Message(), "List index out of bounds (0)");
    }
    // No staged file that looks whole, and no temporary left behind.
    EXPECT_TRUE(EntryNames(dir_ / "TemplateTemp").empty());
    EXPECT_EQ(ReadBytes(Source("BOOK.TXT")), bytes);
  }
}

TEST_F(StageFileTest, MissingStagingFolderRaisesFileCreateError) {
  TempDir other;
  WriteBytes(other / "BOOK.TXT", "h\r\n1\r\n");
  try {
    StageFile(other / "BOOK.TXT", StagingDirectory(other.path() + PathDelim));
    FAIL() << "no error";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message(), "Cannot create file \"" + (other / "TemplateTemp/BOOK.TXT") + "\". " +
                               SystemErrorText(platform::kPathNotFound));
  }
}

TEST_F(StageFileTest, ChineseFileNameIsStagedUnderTheSameName) {
  WriteBytes(dir_ / "src/\xE8\xB4\xA6.txt", "h\r\n1\r\n");  // "账" in UTF-8
  EXPECT_EQ(StageFile(dir_ / "src/\xD5\xCB.txt", StagingDirectory()).file_name, "\xD5\xCB.txt");
  EXPECT_EQ(ReadBytes(dir_ / "TemplateTemp/\xE8\xB4\xA6.txt"), "h\r\n1\r\n");
}

// What staging tells the text driver of a file: its encoding, decided once
// from the staged bytes (or as the run names it), and its header's fields.
TEST_F(StageFileTest, TellsTheStagedFilesEncodingAndHeaderLine) {
  using platform::TextEncoding;
  const std::string cash = U8(u8"现金账户");  // plainly Chinese UTF-8
  const std::string road = Ansi(u8"路平");    // code page 936 that is UTF-8 too
  const std::string name = Ansi(u8"名称");
  const std::string mark = "\xEF\xBB\xBF";
  struct Case {
    const char* what;
    std::string file;
    std::string source;
    SourceEncoding encoding;
    TextEncoding staged;
    std::optional<Fields> header;
  };
  const Fields loan = FieldsOf(*HeaderLineFor("LOAN.TXT"));
  const std::vector<Case> cases = {
      {"ASCII", "LOAN.TXT", "x\r\n1,2024\r\n", SourceEncoding::kAuto, TextEncoding::kCodePage936,
       loan},
      {"ASCII by the run's word", "LOAN.TXT", "x\r\n1,2024\r\n", SourceEncoding::kUtf8,
       TextEncoding::kUtf8, loan},
      {"code page 936", "LOAN.TXT", "x\r\n1," + road + "\r\n", SourceEncoding::kAuto,
       TextEncoding::kCodePage936, loan},
      {"Chinese UTF-8", "LOAN.TXT", "x\r\n1," + cash + "\r\n", SourceEncoding::kAuto,
       TextEncoding::kUtf8, loan},
      {"a mark in a dropped line tells nothing", "LOAN.TXT", mark + "x\r\n1," + road + "\r\n",
       SourceEncoding::kAuto, TextEncoding::kCodePage936, loan},
      {"UTF-8 by the run's word", "LOAN.TXT", "x\r\n1," + road + "\r\n", SourceEncoding::kUtf8,
       TextEncoding::kUtf8, loan},
      {"code page 936 by the run's word", "LOAN.TXT", "x\r\n1," + cash + "\r\n",
       SourceEncoding::kCodePage936, TextEncoding::kCodePage936, loan},
      {"an unknown file's own header", "notes.txt", "A, " + name + "\r\n1,2\r\n",
       SourceEncoding::kAuto, TextEncoding::kCodePage936, Fields{"A", " " + name}},
      {"its first line that is not empty", "notes.txt", "\r\n\nA,B\r\n1,2\r\n",
       SourceEncoding::kAuto, TextEncoding::kCodePage936, Fields{"A", "B"}},
      {"its mark left out", "notes.txt", mark + "A," + cash + "\r\n", SourceEncoding::kAuto,
       TextEncoding::kUtf8, Fields{"A", cash}},
      {"a mark of a file read as 936 is text", "notes.txt", mark + "A\r\n\xFF\r\n",
       SourceEncoding::kAuto, TextEncoding::kCodePage936, Fields{mark + "A"}},
      {"too long to describe", "notes.txt", std::string(kLongestHeaderLine + 1, 'A') + "\r\n1\r\n",
       SourceEncoding::kAuto, TextEncoding::kCodePage936, std::nullopt},
      {"just short enough", "notes.txt", std::string(kLongestHeaderLine, 'A') + "\r\n1\r\n",
       SourceEncoding::kAuto, TextEncoding::kCodePage936,
       Fields{std::string(kLongestHeaderLine, 'A')}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(Source(c.file), c.source);
    const StagedFile staged = StageFile(Source(c.file), StagingDirectory(), c.encoding);
    EXPECT_EQ(staged.file_name, c.file);
    EXPECT_EQ(staged.encoding, c.staged);
    EXPECT_EQ(staged.header_fields, c.header);
  }
}

// A known table's join key longer than the provider's Text field is refused
// before the file is imported, naming where it lies; any other long value
// only makes its column long.
TEST_F(StageFileTest, LongJoinKeysAreRefusedWithTheirLine) {
  const std::string wide = Ansi(u8"码");  // one character, two bytes
  std::string many_lines;
  // Lines that start with a vertical tab (LF ^ 1) after every line end.
  for (int i = 0; i < 40000; ++i) many_lines += "\v1,2,B" + std::to_string(i) + ",1\r\n";
  struct Case {
    const char* what;
    std::string file;
    std::string rows;      // after the header line
    std::string refusal;   // what the message says after the file's name; "" for none
    std::string key = {};  // the key it names
  };
  const std::vector<Case> cases = {
      {"BOOKNO", "BOOKDETAIL.TXT", "1,2,B1,1\r\n1,2," + std::string(256, 'B') + ",1\r\n",
       "line 3: the BOOKNO value is 256 characters long", "BOOKNO"},
      {"in double-byte characters", "book.txt",
       "1,2," +
           [&] {
             std::string code;
             for (int i = 0; i < 256; ++i) code += wide;
             return code;
           }() +
           "\r\n",
       "line 2: the BOOKNO value is 256 characters long", "BOOKNO"},
      {"quoted over lines, where it starts", "REMAIN.TXT",
       "1,2,3,\"" + std::string(200, 'S') + "\r\n" + std::string(100, 'S') + "\"\r\n",
       "line 2: the SID value is 302 characters long", "SID"},
      {"too long to count", "ITEM.TXT", "1,2," + std::string(5000, 'I') + "\r\n",
       "line 2: the IID value is 5000 bytes long", "IID"},
      {"past many blocks", "BOOKDETAIL.TXT",
       many_lines + "1,2,3,4,5," + std::string(300, 'S') + "\r\n",
       "line 40002: the SID value is 300 characters long", "SID"},
      {"at the limit", "BOOKDETAIL.TXT", "1,2," + std::string(255, 'B') + "\r\n", ""},
      {"not a key", "BOOKDETAIL.TXT", "1,2,B,1," + std::string(300, 'x') + "\r\n", ""},
      {"a table joined on nothing", "LOAN.TXT", std::string(15, ',') + std::string(300, 'B'), ""},
      {"an unknown file", "other.txt", "1," + std::string(300, 'x') + "\r\n", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(Staged(c.file));
    const std::string header = c.file == "other.txt" ? "A,SID" : "header";
    WriteBytes(Source(c.file), header + "\r\n" + c.rows);
    if (c.refusal.empty()) {
      const StagedFile staged = StageFile(Source(c.file), StagingDirectory());
      EXPECT_EQ(std::count(staged.long_columns.begin(), staged.long_columns.end(), true),
                c.what == std::string("at the limit") ? 0 : 1);
      continue;
    }
    try {
      StageFile(Source(c.file), StagingDirectory());
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), "\"" + Source(c.file) + "\", " + c.refusal +
                                 "; the tables are joined on " + c.key +
                                 ", which holds at most 255 characters");
    }
    EXPECT_FALSE(std::filesystem::exists(Staged(c.file)));
  }
}

// Names as the driver reads the header record; Chinese in the ANSI code
// page whichever encoding the file itself is in.
TEST_F(StageFileTest, SchemaSectionNamesTheColumnsAsTheDriverReadsTheHeader) {
  const std::string settings = "ColNameHeader=True\r\nFormat=CSVDelimited\r\nMaxScanRows=0\r\n";
  const std::string odd_columns =
      "Col1=\"My Code\" Text\r\nCol2=\"F2\" Text\r\nCol3=\"a,b\" Text\r\n"
      "Col4=\"say \"\"hi\"\"\" Text\r\nCol5=\"x\"\"y\" Text\r\nCol6=\"" +
      Ansi(u8"科目名称") + "\" Text\r\nCol7=\"F7\" Text\r\n";
  const std::string odd_header = R"( My Code ,,"a,b","say ""hi""",x"y,)";
  struct Case {
    std::string file;
    std::string source;
    std::string section;
  };
  const std::vector<Case> cases = {
      {"acct 1.txt", odd_header + Ansi(u8"科目名称") + ",\r\n",
       "[acct 1.txt]\r\n" + settings + "CharacterSet=936\r\n" + odd_columns},
      {"u.txt", odd_header + U8(u8"科目名称") + ",\r\n",
       "[u.txt]\r\n" + settings + "CharacterSet=65001\r\n" + odd_columns},
      // A quoted name may hold a line break, which no line of schema.ini can.
      {"q.txt", "\"two\r\nlines\",\"a\"\"\"b,A\"B\r\n1,2,3\r\n",
       "[q.txt]\r\n" + settings +
           "CharacterSet=936\r\nCol1=\"two__lines\" Text\r\nCol2=\"a\"\"b\" Text\r\n"
           "Col3=\"A\"\"B1\" Text\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    WriteBytes(Source(c.file), c.source);
    EXPECT_EQ(SchemaSection(StageFile(Source(c.file), StagingDirectory())), c.section);
  }
}

}  // namespace
}  // namespace dt
