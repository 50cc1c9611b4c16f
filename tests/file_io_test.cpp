// File services: the OS's error texts, the file copy through a temporary
// sibling, whole-file read and write, and the streaming handles.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "platform/errors.h"
#include "platform/file_io.h"
#include "platform/files.h"
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
  EXPECT_EQ(SystemErrorText(ENOENT), "No such file or directory");
  EXPECT_EQ(SystemErrorText(EACCES), "Permission denied");
  for (int code : {0, EEXIST, ENOSPC, EISDIR, 9999}) {
    const std::string text = SystemErrorText(code);
    ASSERT_FALSE(text.empty()) << code;
    EXPECT_LE(text.size(), 255u);
    EXPECT_NE(text.back(), '.') << code;
    EXPECT_GT(static_cast<unsigned char>(text.back()), 32) << code;
  }
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
  EXPECT_EQ(error, SystemErrorText(EEXIST));
  EXPECT_EQ(ReadBytes(dir / "dst"), "old");

  ASSERT_TRUE(CopyFile(dir / "src", dir / "fresh", true, nullptr));
  EXPECT_EQ(ReadBytes(dir / "fresh"), "new");
  EXPECT_EQ(EntryNames(dir.path()).size(), 3u);  // no temporary sibling left
}

TEST(CopyFileTest, AFailedCopyLeavesTheTargetAsItWas) {
  TempDir dir;
  WriteBytes(dir / "dst", "previous run");
  std::string error;
  EXPECT_FALSE(CopyFile(dir / "missing", dir / "dst", false, &error));
  EXPECT_EQ(error, "No such file or directory");
  EXPECT_EQ(ReadBytes(dir / "dst"), "previous run");

  // A source that opens but cannot be read (a directory).
  std::filesystem::create_directory(dir / "folder");
  EXPECT_FALSE(CopyFile(dir / "folder", dir / "dst", false, &error));
  EXPECT_EQ(error, SystemErrorText(EISDIR));
  EXPECT_EQ(ReadBytes(dir / "dst"), "previous run");

  // A target whose folder does not exist.
  WriteBytes(dir / "src", "x");
  EXPECT_FALSE(CopyFile(dir / "src", dir / "none/dst", false, &error));
  EXPECT_EQ(error, "No such file or directory");
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
  std::filesystem::create_symlink(dir / "a", dir / "link");
  EXPECT_TRUE(SameFile(dir / "a", dir.path() + "//./a"));
  EXPECT_TRUE(SameFile(dir / "a", dir / "link"));
  EXPECT_FALSE(SameFile(dir / "a", dir / "b"));
  EXPECT_FALSE(SameFile(dir / "a", dir / "missing"));
  EXPECT_FALSE(SameFile(dir / "missing", dir / "missing"));
}

TEST(WholeFileTest, ReadsAndWritesBytesExactly) {
  TempDir dir;
  const std::string bytes = Pattern(std::size_t{1} << 20) + std::string("\0\r\n", 3);
  WriteWholeFile(dir / "f", bytes);
  EXPECT_EQ(ReadBytes(dir / "f"), bytes);
  EXPECT_EQ(ReadWholeFile(dir / "f"), bytes);
  WriteWholeFile(dir / "f", "");
  EXPECT_EQ(ReadWholeFile(dir / "f"), "");
}

TEST(WholeFileTest, RaisesFileErrorsWithTheirMessages) {
  TempDir dir;
  try {
    (void)ReadWholeFile(dir / "missing");
    FAIL() << "no error";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message(),
              "Cannot open file \"" + (dir / "missing") + "\". " + "No such file or directory");
  }
  std::filesystem::create_directory(dir / "folder");
  try {
    WriteWholeFile(dir / "folder", "x");
    FAIL() << "no error";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message(),
              "Cannot create file \"" + (dir / "folder") + "\". " + SystemErrorText(EISDIR));
  }
  if (std::filesystem::exists("/dev/full")) {
    try {
      WriteWholeFile("/dev/full", "x");
      FAIL() << "no error";
    } catch (const EWriteError& e) {
      EXPECT_EQ(e.Message(), "Stream write error");
    }
  }
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

  // A pipe with no writer reads as an empty file instead of waiting forever.
  ASSERT_EQ(::mkfifo((dir / "pipe.txt").c_str(), 0600), 0);
  InputFile pipe;
  ASSERT_TRUE(pipe.Open(dir / "pipe.txt"));
  ASSERT_TRUE(pipe.Read(buffer, sizeof buffer, &count));
  EXPECT_EQ(count, 0u);

  InputFile missing;
  EXPECT_FALSE(missing.Open(dir / "missing"));
  EXPECT_EQ(missing.error(), ENOENT);
  EXPECT_FALSE(missing.Read(buffer, sizeof buffer, &count));
}

}  // namespace
}  // namespace dt::platform
