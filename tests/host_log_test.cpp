// The host log: the call this system makes (module handle, kind 3, a
// length-prefixed UTF-16 message) and the host log library stand-in that
// appends each entry as one UTF-8 line.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/errors.h"
#include "platform/library_names.h"
#include "platform/module.h"
#include "platform/stdcall.h"
#include "src/entry/host_log.h"
#include "src/entry/run_sequence.h"
#include "tests/process_support.h"
#include "tests/staging_temp_dir.h"

namespace dt {
namespace {

using platform::Ansi;

struct Entry {
  void* module;
  std::int32_t kind;
  std::u16string message;
  std::uint32_t prefix_bytes;
};
std::vector<Entry>* g_entries = nullptr;

// The host calls with stdcall; a fake of another convention would corrupt
// the stack of a 32-bit Windows caller.
void DT_STDCALL RecordEntry(void* module, std::int32_t kind, const char16_t* message) {
  std::uint32_t prefix = 0;
  std::memcpy(&prefix, reinterpret_cast<const char*>(message) - sizeof prefix, sizeof prefix);
  g_entries->push_back({module, kind, std::u16string(message), prefix});
}

class HostLogCallTest : public ::testing::Test {
 protected:
  void SetUp() override { g_entries = &entries_; }
  void TearDown() override { g_entries = nullptr; }
  std::vector<Entry> entries_;
};

TEST_F(HostLogCallTest, PassesModuleKindThreeAndAPrefixedWideText) {
  int module_marker = 0;
  const HostLog log(&RecordEntry, &module_marker);
  const struct {
    std::string ansi;
    std::u16string wide;
  } cases[] = {
      {"", u""},
      {"SQL=select 1", u"SQL=select 1"},
      {RunFailureMessage("List index out of bounds (0)"),
       u"\u6570\u636E\u9884\u5904\u7406\u51FA\u73B0\u5F02\u5E38\uFF01List index out of bounds (0)"},
  };
  for (const auto& c : cases) {
    entries_.clear();
    log.Write(c.ansi);
    ASSERT_EQ(entries_.size(), 1u);
    EXPECT_EQ(entries_[0].module, &module_marker);
    EXPECT_EQ(entries_[0].kind, 3);
    EXPECT_EQ(entries_[0].message, c.wide);
    EXPECT_EQ(entries_[0].prefix_bytes, c.wide.size() * 2);
  }
}

TEST_F(HostLogCallTest, ALogWithoutHostDropsMessages) {
  const HostLog log;
  log.Write("nothing to see");
  EXPECT_TRUE(entries_.empty());
}

TEST(RunFailureMessageTest, FrameThenErrorTextWithNothingBetween) {
  EXPECT_EQ(RunFailureMessage(""), Ansi(u8"数据预处理出现异常！"));
  EXPECT_EQ(RunFailureMessage("Stream write error"),
            Ansi(u8"数据预处理出现异常！") + "Stream write error");
  // The frame is code page 936 text: 10 double-byte characters.
  EXPECT_EQ(RunFailureMessage("").size(), 20u);
}

TEST(RunFailureMessageTest, AnErrorGivesItsWholeMessage) {
  const std::string frame = Ansi(u8"数据预处理出现异常！");
  const std::string with_nul("ab\0cd", 5);
  EXPECT_EQ(RunFailureMessage(EFOpenError(with_nul)), frame + with_nul);
  EXPECT_EQ(RunFailureMessage(Exception("")), frame);
  EXPECT_EQ(RunFailureMessage(std::runtime_error("runtime")), frame + "runtime");
}

// The stand-in library, loaded as the plug-in's loader binds it.
class HostLogLibraryTest : public ::testing::Test {
 protected:
  using WriteLogFn = void(DT_STDCALL*)(void*, std::int32_t, const char16_t*);
  void SetUp() override {
    library_ = std::make_unique<platform::LoadedLibrary>(std::string(DEALTEXT_BUILD_DIR) + "/" +
                                                         platform::kHostLogLibrary);
    write_ = library_->Entry<WriteLogFn>("WriteLog");
    ASSERT_NE(write_, nullptr);
    log_path_ = dir_ / "host.log";
    ASSERT_TRUE(testing::SetEnvironment("HALVAREN_LOG", log_path_));
  }
  void TearDown() override { testing::SetEnvironment("HALVAREN_LOG", ""); }

  testing::TempDir dir_;
  std::string log_path_;
  std::unique_ptr<platform::LoadedLibrary> library_;
  WriteLogFn write_ = nullptr;
};

TEST_F(HostLogLibraryTest, AppendsOneUtf8LinePerEntry) {
  write_(nullptr, 3, u"\u6570\u636E\u9884\u5904\u7406\u51FA\u73B0\u5F02\u5E38\uFF01");
  write_(reinterpret_cast<void*>(0x1000), 7, u"second");
  write_(nullptr, 3, nullptr);
  EXPECT_EQ(testing::ReadBytes(log_path_),
            "3\t\xE6\x95\xB0\xE6\x8D\xAE\xE9\xA2\x84\xE5\xA4\x84\xE7\x90\x86\xE5\x87\xBA\xE7\x8E"
            "\xB0\xE5\xBC\x82\xE5\xB8\xB8\xEF\xBC\x81\n"
            "7\tsecond\n"
            "3\t\n");
}

TEST_F(HostLogLibraryTest, AppendsToWhatIsThere) {
  testing::WriteBytes(log_path_, "earlier\n");
  write_(nullptr, 3, u"later");
  EXPECT_EQ(testing::ReadBytes(log_path_), "earlier\n3\tlater\n");
}

TEST_F(HostLogLibraryTest, WritesToStandardErrorWhenUnset) {
  testing::SetEnvironment("HALVAREN_LOG", "");
  ::testing::internal::CaptureStderr();
  write_(nullptr, 3, u"to stderr");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "3\tto stderr\n");
}

TEST_F(HostLogLibraryTest, AnUnwritableLogDropsTheEntryQuietly) {
  ASSERT_TRUE(testing::SetEnvironment("HALVAREN_LOG", dir_ / "missing/host.log"));
  write_(nullptr, 3, u"dropped");  // returns normally
  EXPECT_FALSE(std::filesystem::exists(dir_ / "missing"));
}

}  // namespace
}  // namespace dt
