// File services: the OS's error texts, the file copy through a temporary
// sibling, and the streaming handles.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <cerrno>
#include <filesystem>
#include <string>

#include "platform/codepage.h"
#include "platform/common/file_messages.h"
#include "platform/errors.h"
#include "platform/file_io.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "tests/staging_temp_dir.h"

namespace dt::platform {
namespace {

using testing::EntryNames;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

// Bytes that vary with position, so a block copied twice or skipped shows.
std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return bytes;
}

TEST(SystemErrorTextTest, GivesTheOsMessageWithoutTrailingPeriodsOrSpace) {
#ifdef _WIN32
  // The system's words depend on its language; they differ from code to code.
  EXPECT_NE(SystemErrorText(kFileNotFound), SystemErrorText(kFileExists));
  EXPECT_NE(SystemErrorText(kFileNotFound), SystemErrorText(9999));
#else
  EXPECT_EQ(SystemErrorText(ENOENT), "No such file or directory");
  EXPECT_EQ(SystemErrorText(EACCES), "Permission denied");
#endif
  for (int code : {0, EEXIST, ENOSPC, EISDIR, 9999, kFileNotFound, kPathNotFound, kIsADirectory}) {
    const std::string text = SystemErrorText(code);
    ASSERT_FALSE(text.empty()) << code;
    EXPECT_LE(text.size(), 255u);
    EXPECT_NE(text.back(), '.') << code;
    EXPECT_GT(static_cast<unsigned char>(text.back()), 32) << code;
  }
}

TEST(SystemErrorTextTest, IsCutToAtMost255BytesOnACharacterBoundary) {
  struct Case {
    const char* name;
    std::string text;
    std::string tidy;
  };
  const std::string chinese = Ansi(u8"中");  // two bytes
  std::string long_chinese;
  for (int i = 0; i < 200; ++i) long_chinese += chinese;
  const std::vector<Case> cases = {
      {"trailing periods and blanks", "Access denied. \r\n", "Access denied"},
      {"only periods", "...", ""},
      {"inner periods kept", "a.b", "a.b"},
      {"high bytes kept", chinese + "\t", chinese},
      {"255 single bytes kept", std::string(255, 'x'), std::string(255, 'x')},
      {"longer cut at 255", std::string(300, 'x'), std::string(255, 'x')},
      {"double-byte text cut before a half character", long_chinese, long_chinese.substr(0, 254)},
      {"cut, then trailing periods removed", std::string(250, 'x') + std::string(10, '.'),
       std::string(250, 'x')},
  };
  for (const Case& c : cases) EXPECT_EQ(TidySystemText(c.text), c.tidy) << c.name;
}

TEST(CopyFileTest, CopiesLargeFilesWhole) {
  TempDir dir;
  const std::string bytes = Pattern((std::size_t{3} << 20) + 12345);
  WriteBytes(dir / "src.mdb", bytes);
  std::string error = "untouched";
  ASSERT_TRUE(CopyFile(dir / "src.mdb", dir / "dst.mdb", false, &error));
  EXPECT_EQ(error, "untouched");
  EXPECT_EQ(ReadBytes(dir / "dst.mdb"), bytes);
  EXPECT_EQ(ReadBytes(dir / "src.mdb"), bytes);
}

TEST(CopyFileTest, ReplacesAnExistingTargetUnlessAskedNotTo) {
  TempDir dir;
  WriteBytes(dir / "src", "new");
  WriteBytes(dir / "dst", "old and longer");
  ASSERT_TRUE(CopyFile(dir / "src", dir / "dst", false, nullptr));
  EXPECT_EQ(ReadBytes(dir / "dst"), "new");

  WriteBytes(dir / "dst", "old");
  std::string error;
  EXPECT_FALSE(CopyFile(dir / "src", dir / "dst", true, &error));
  EXPECT_EQ(error, SystemErrorText(kFileExists));
  EXPECT_EQ(ReadBytes(dir / "dst"), "old");

  ASSERT_TRUE(CopyFile(dir / "src", dir / "fresh", true, nullptr));
  EXPECT_EQ(ReadBytes(dir / "fresh"), "new");
  EXPECT_EQ(EntryNames(dir.path()).size(), 3u);  // no temporary sibling left
}

TEST(CopyFileTest, ACopyOfAReadOnlyFileIsWritableAndCanBeReplaced) {
  TempDir dir;
  WriteBytes(dir / "template.mdb", "template");
  const auto read_only = std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                         std::filesystem::perms::others_write;
  std::filesystem::permissions(platform::PathOf(dir / "template.mdb"), read_only,
                               std::filesystem::perm_options::remove);
  // A second run copies over the first run's copy, then writes into it.
  for (int run = 0; run < 2; ++run) {
    std::string error;
    ASSERT_TRUE(CopyFile(dir / "template.mdb", dir / "work.mdb", false, &error)) << run << error;
    EXPECT_EQ(ReadBytes(dir / "work.mdb"), "template");
    const auto permissions =
        std::filesystem::status(platform::PathOf(dir / "work.mdb")).permissions();
    EXPECT_NE(permissions & std::filesystem::perms::owner_write, std::filesystem::perms::none);
    WriteBytes(dir / "work.mdb", "written");
  }
  std::filesystem::permissions(platform::PathOf(dir / "template.mdb"), read_only,
                               std::filesystem::perm_options::add);
}

TEST(CopyFileTest, AFailedCopyLeavesTheTargetAsItWas) {
  TempDir dir;
  WriteBytes(dir / "dst", "previous run");
  std::string error;
  EXPECT_FALSE(CopyFile(dir / "missing", dir / "dst", false, &error));
  EXPECT_EQ(error, SystemErrorText(kFileNotFound));
  EXPECT_EQ(ReadBytes(dir / "dst"), "previous run");

  // A source that is a directory (it opens on POSIX, but cannot be read).
  std::filesystem::create_directory(dir / "folder");
  EXPECT_FALSE(CopyFile(dir / "folder", dir / "dst", false, &error));
  EXPECT_EQ(error, SystemErrorText(kIsADirectory));
  EXPECT_EQ(ReadBytes(dir / "dst"), "previous run");

  // A target whose folder does not exist.
  WriteBytes(dir / "src", "x");
  EXPECT_FALSE(CopyFile(dir / "src", dir / "none/dst", false, &error));
  EXPECT_EQ(error, SystemErrorText(kPathNotFound));
  EXPECT_EQ(EntryNames(dir.path()).size(), 3u);  // dst, folder, src: nothing else left
}

TEST(CopyFileTest, CopiesToANameNearTheFileSystemsLimit) {
  // The temporary sibling must not need a longer name than the target.
  TempDir dir;
  WriteBytes(dir / "src", "data");
  for (std::size_t length : {std::size_t{240}, std::size_t{255}}) {
    const std::string name = std::string(length - 4, 'n') + ".txt";
    std::string error;
    ASSERT_TRUE(CopyFile(dir / "src", dir / name, false, &error)) << length << " " << error;
    EXPECT_EQ(ReadBytes(dir / name), "data");
  }
  EXPECT_EQ(EntryNames(dir.path()).size(), 3u);  // no temporary sibling left
}

TEST(SameFileTest, RecognisesOneFileUnderTwoNames) {
  TempDir dir;
  WriteBytes(dir / "a", "x");
  WriteBytes(dir / "b", "x");
#ifdef _WIN32
  // Symbolic links need a privilege there; a hard link is a second name too.
  std::filesystem::create_hard_link(dir / "a", dir / "link");
#else
  std::filesystem::create_symlink(dir / "a", dir / "link");
#endif
  EXPECT_TRUE(SameFile(dir / "a", dir.path() + "//./a"));
  EXPECT_TRUE(SameFile(dir / "a", dir / "link"));
  EXPECT_FALSE(SameFile(dir / "a", dir / "b"));
  EXPECT_FALSE(SameFile(dir / "a", dir / "missing"));
  EXPECT_FALSE(SameFile(dir / "missing", dir / "missing"));
}

TEST(DirectoryExistsTest, TellsFoldersFromFilesAndMissingNames) {
  TempDir dir;
  WriteBytes(dir / "file.txt", "x");
  // A folder named in Chinese: the name reaches the file system converted
  // from code page 936, not read in the process's own code page.
  std::filesystem::create_directory(platform::PathOf(dir / "\xE8\xBD\xAC\xE6\x8D\xA2"));
  const std::string folder_ansi = dir.path() + PathDelim + Ansi(u8"转换");
  EXPECT_TRUE(DirectoryExists(dir.path()));
  EXPECT_TRUE(DirectoryExists(folder_ansi));
  EXPECT_FALSE(DirectoryExists(dir / "file.txt"));
  EXPECT_FALSE(DirectoryExists(dir / "missing"));
  EXPECT_FALSE(DirectoryExists(folder_ansi + PathDelim + "missing"));
}

TEST(OutputFileTest, TargetChangesOnlyOnCommit) {
  TempDir dir;
  WriteBytes(dir / "t", "old");
  {
    OutputFile out;
    ASSERT_TRUE(out.Create(dir / "t"));
    ASSERT_TRUE(out.Write("partial"));
    EXPECT_EQ(ReadBytes(dir / "t"), "old");
  }  // abandoned: the sibling goes, the target stays
  EXPECT_EQ(ReadBytes(dir / "t"), "old");
  EXPECT_EQ(EntryNames(dir.path()).size(), 1u);

  OutputFile out;
  ASSERT_TRUE(out.Create(dir / "t"));
  ASSERT_TRUE(out.Write("new "));
  ASSERT_TRUE(out.Write("content"));
  ASSERT_TRUE(out.Commit());
  EXPECT_EQ(ReadBytes(dir / "t"), "new content");
  EXPECT_EQ(EntryNames(dir.path()).size(), 1u);
  EXPECT_FALSE(out.Write("late"));  // committed: nothing more goes in
}

TEST(OutputFileTest, CommitThatMustNotReplaceKeepsAnExistingTarget) {
  TempDir dir;
  WriteBytes(dir / "t", "old");
  OutputFile out;
  ASSERT_TRUE(out.Create(dir / "t"));
  ASSERT_TRUE(out.Write("new"));
  EXPECT_FALSE(out.Commit(true));
  EXPECT_EQ(out.error(), kFileExists);
  EXPECT_EQ(ReadBytes(dir / "t"), "old");
  EXPECT_EQ(EntryNames(dir.path()).size(), 1u);  // the sibling is gone

  OutputFile fresh;
  ASSERT_TRUE(fresh.Create(dir / "u"));
  ASSERT_TRUE(fresh.Write("first"));
  ASSERT_TRUE(fresh.Commit(true));
  EXPECT_EQ(ReadBytes(dir / "u"), "first");
}

TEST(OutputFileTest, CreateInAMissingFolderFails) {
  TempDir dir;
  OutputFile out;
  EXPECT_FALSE(out.Create(dir / "none/t"));
  EXPECT_EQ(out.error(), kPathNotFound);
  EXPECT_FALSE(out.Write("x"));
  EXPECT_FALSE(out.Commit());
}

TEST(InputFileTest, ReadsInPiecesAndReportsErrors) {
  TempDir dir;
  WriteBytes(dir / "f", "abcdef");
  InputFile in;
  ASSERT_TRUE(in.Open(dir / "f"));
  char buffer[4];
  std::size_t count = 0;
  std::string got;
  do {
    ASSERT_TRUE(in.Read(buffer, sizeof buffer, &count));
    got.append(buffer, count);
  } while (count != 0);
  EXPECT_EQ(got, "abcdef");

  InputFile missing;
  EXPECT_FALSE(missing.Open(dir / "missing"));
  EXPECT_EQ(missing.error(), kFileNotFound);
  EXPECT_FALSE(missing.Read(buffer, sizeof buffer, &count));
}

TEST(InputFileTest, APipeWithNoWriterReadsAsEmpty) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows keeps no named pipes among files";
#else
  // Read as an empty file instead of waiting forever.
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "pipe.txt").c_str(), 0600), 0);
  InputFile pipe;
  ASSERT_TRUE(pipe.Open(dir / "pipe.txt"));
  char buffer[4];
  std::size_t count = 1;
  ASSERT_TRUE(pipe.Read(buffer, sizeof buffer, &count));
  EXPECT_EQ(count, 0u);
#endif
}

TEST(InputFileTest, OthersMayReadAFileBeingRead) {
  TempDir dir;
  WriteBytes(dir / "f", "shared");
  InputFile first;
  ASSERT_TRUE(first.Open(dir / "f"));
  EXPECT_EQ(ReadBytes(dir / "f"), "shared");
  InputFile second;
  EXPECT_TRUE(second.Open(dir / "f"));
}

}  // namespace
}  // namespace dt::platform
