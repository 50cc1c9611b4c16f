// The entry point: DoIt through the real plug-in loaded as a host loads it
// (two calls, each waiting the run window's real second), the plug-in's
// single export, and one call's control flow in this process with a manual
// clock (close request, window handle, null texts, repeated runs).
#include "src/entry/doit.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdio.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/database_format.h"
#include "platform/codepage.h"
#include "platform/errors.h"
#include "platform/host_window.h"
#include "platform/library_names.h"
#include "platform/module.h"
#include "platform/oleaut/oleaut.h"
#include "platform/stdcall.h"
#include "platform/ui.h"
#include "src/entry/run_sequence.h"
#include "src/entry/run_window.h"
#include "tests/entry_fixture.h"
#include "tests/process_support.h"

namespace dt {
namespace {

const std::string kBuildDir = DEALTEXT_BUILD_DIR;

// The system's oleaut32 on Windows; the stand-in built here elsewhere.
std::string OleStringsLibraryPath() {
#ifdef _WIN32
  return platform::kOleStringsLibrary;
#else
  return kBuildDir + "/" + platform::kOleStringsLibrary;
#endif
}

// --- Through the plug-in ----------------------------------------------------

using DoItFn = void(DT_STDCALL*)(BSTR*, std::uintptr_t, const char*, const char*, std::uintptr_t);

// DoIt of the plug-in that runs the whole build here: on Windows the one
// built for tests, which also takes the stand-in's templates.
class PluginTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Load(platform::kStandInPluginLibrary); }
  static void Load(const char* library) {
    oleaut_ = std::make_unique<platform::LoadedLibrary>(OleStringsLibraryPath());
    plugin_ = std::make_unique<platform::LoadedLibrary>(kBuildDir + "/" + library);
  }
  static void TearDownTestSuite() {
    plugin_.reset();
    oleaut_.reset();
  }
  void SetUp() override {
    do_it_ = plugin_->Entry<DoItFn>("DoIt");
    alloc_ = oleaut_->Entry<decltype(&SysAllocStringLen)>("SysAllocStringLen");
    free_ = oleaut_->Entry<decltype(&SysFreeString)>("SysFreeString");
    length_ = oleaut_->Entry<decltype(&SysStringLen)>("SysStringLen");
    ASSERT_NE(do_it_, nullptr);
    ASSERT_TRUE(testing::SetEnvironment("HALVAREN_LOG", dirs_.Scratch("host.log")));
  }
  void TearDown() override { testing::SetEnvironment("HALVAREN_LOG", ""); }

  // Calls DoIt with a result variable that already holds a string.
  std::u16string Call(std::uintptr_t fifth) {
    BSTR result = alloc_(u"previous result", 15);
    const std::string base = dirs_.Base();
    const std::string source = dirs_.Source();
    do_it_(&result, host_window_.Handle(), base.c_str(), source.c_str(), fifth);
    std::u16string text(result, length_(result));
    free_(result);
    return text;
  }

  std::string HostLogText() const {
    const std::string path = dirs_.Scratch("host.log");
    return std::filesystem::exists(path) ? testing::ReadBytes(path) : std::string();
  }

  static std::unique_ptr<platform::LoadedLibrary> oleaut_;
  static std::unique_ptr<platform::LoadedLibrary> plugin_;
  DoItFn do_it_ = nullptr;
  decltype(&SysAllocStringLen) alloc_ = nullptr;
  decltype(&SysFreeString) free_ = nullptr;
  decltype(&SysStringLen) length_ = nullptr;
  testing::RunDirectories dirs_;
  platform::HostWindow host_window_;
};

std::unique_ptr<platform::LoadedLibrary> PluginTest::oleaut_;
std::unique_ptr<platform::LoadedLibrary> PluginTest::plugin_;

TEST_F(PluginTest, CompletedRunHandsBackTheWorkDatabasePath) {
  dirs_.AddSampleExport();
  const std::u16string result = Call(0);
  EXPECT_EQ(result, platform::Utf8ToUtf16(dirs_.ResultPath()));
  EXPECT_TRUE(dirs_.WorkDatabaseExists());
  EXPECT_EQ(HostLogText().find("\t\xE6\x95\xB0\xE6\x8D\xAE"), std::string::npos)
      << "no run failure logged";
}

TEST_F(PluginTest, FailedRunGivesExactlyZeroAndLogsTheFailure) {
  dirs_.AddSource("BOOK.TXT", "");
  // The fifth argument is never read, whatever it holds.
  const std::u16string result = Call(~std::uintptr_t{0});
  EXPECT_EQ(result, u"0");
  EXPECT_EQ(result.size(), 1u);
  EXPECT_EQ(HostLogText(),
            "3\t\xE6\x95\xB0\xE6\x8D\xAE\xE9\xA2\x84\xE5\xA4\x84\xE7\x90\x86\xE5\x87\xBA\xE7\x8E"
            "\xB0\xE5\xBC\x82\xE5\xB8\xB8\xEF\xBC\x81List index out of bounds (0)\n");
}

// An Access template goes to the host's own engine in the Windows form and is
// refused by name in the POSIX form; either way the run ends before it
// imports anything, with one run failure line, and the exports stay as they
// were.
TEST_F(PluginTest, AnAccessTemplateEndsTheRunWithOneFailureLine) {
  dirs_.AddSampleExport();
  std::string jet4(64, '\0');
  jet4.replace(0, 19, std::string("\x00\x01\x00\x00Standard Jet DB", 19));
  jet4[0x14] = 1;
  testing::WriteBytes(dirs_.Base() + "DataBase" + platform::PathDelim + "empty.mdb", jet4);
  auto snapshot = [this] {
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& entry : std::filesystem::directory_iterator(dirs_.Source())) {
      files.emplace_back(entry.path().filename().string(),
                         testing::ReadBytes(entry.path().string()));
    }
    std::sort(files.begin(), files.end());
    return files;
  };
  const auto before = snapshot();

  EXPECT_EQ(Call(0), u"0");
  const std::string log = HostLogText();
  const std::string frame =
      "3\t\xE6\x95\xB0\xE6\x8D\xAE\xE9\xA2\x84\xE5\xA4\x84\xE7\x90\x86\xE5\x87\xBA\xE7\x8E"
      "\xB0\xE5\xBC\x82\xE5\xB8\xB8\xEF\xBC\x81";
  EXPECT_EQ(log.rfind(frame, 0), 0u) << log;
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
  // The message after the frame is the provider's own in the Windows form
  // (under Wine, that it is missing); the POSIX form names the format.
  EXPECT_GT(log.size(), frame.size() + 1) << log;
  if (engine::kThisForm == engine::Form::kPosix) {
    EXPECT_NE(log.find("Access (Jet 4)"), std::string::npos) << log;
  }
  EXPECT_EQ(snapshot(), before);
}

// DoIt of the plug-in the host loads.
class ShippingPluginTest : public PluginTest {
 protected:
  static void SetUpTestSuite() { Load(platform::kPluginLibrary); }
};

// The host reads the work database with the Jet 4.0 provider: on Windows
// the plug-in it loads refuses a template that is not an Access file, before
// anything is copied or staged; the POSIX form has only the stand-in.
TEST_F(ShippingPluginTest, OnWindowsTakesOnlyTemplatesTheHostReads) {
  dirs_.AddSampleExport();
  const std::string template_path = dirs_.Base() + "DataBase" + platform::PathDelim + "empty.mdb";
  const std::string staging = dirs_.Base() + "TemplateTemp";
  for (const std::string format : {"empty", "SQLite"}) {
    SCOPED_TRACE(format);
    std::filesystem::remove(dirs_.WorkDatabase());
    std::filesystem::remove(dirs_.Scratch("host.log"));
    testing::WriteBytes(template_path, "");
    if (format == "SQLite") {
      sqlite3* db = nullptr;
      ASSERT_EQ(sqlite3_open(template_path.c_str(), &db), SQLITE_OK);
      EXPECT_EQ(sqlite3_exec(db, "CREATE TABLE Kept (A TEXT)", nullptr, nullptr, nullptr),
                SQLITE_OK);
      sqlite3_close(db);
    }
    const std::u16string result = Call(0);
    if (engine::kThisForm == engine::Form::kPosix) {
      EXPECT_EQ(result, platform::Utf8ToUtf16(dirs_.ResultPath()));
      continue;
    }
    EXPECT_EQ(result, u"0");
    EXPECT_NE(HostLogText().find("The template database \"" + template_path + "\" is an " + format +
                                 " database, not an Access (Jet 3 or Jet 4) file"),
              std::string::npos)
        << HostLogText();
    for (const auto& entry : std::filesystem::directory_iterator(staging)) {
      EXPECT_EQ(entry.path().filename(), "dealtext.lock") << "written: " << entry.path();
    }
  }
}

TEST(PluginExportTest, DoItIsTheOnlyExportedSymbol) {
#ifdef _WIN32
  GTEST_SKIP() << "the DLL's export table is checked with objdump by dll_interface_test";
#endif
  if (std::system("command -v nm >/dev/null 2>&1") != 0) GTEST_SKIP() << "nm is not installed";
  const std::string command = "nm -D --defined-only " + kBuildDir + "/libdealtext.so";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  // Functions and data alike: a leaked variable or type description would
  // meet the host's own symbols as surely as a leaked function.
  std::vector<std::string> symbols;
  char line[1024];
  while (fgets(line, sizeof line, pipe) != nullptr) {
    char type = 0;
    char name[512] = {};
    if (sscanf(line, "%*s %c %511s", &type, name) == 2) symbols.push_back(name);
  }
  ASSERT_EQ(pclose(pipe), 0);
  EXPECT_EQ(symbols, std::vector<std::string>{"DoIt"});
}

TEST_F(PluginTest, ANullResultAddressStillRunsAndTouchesNothing) {
  dirs_.AddSampleExport();
  const std::string base = dirs_.Base();
  const std::string source = dirs_.Source();
  do_it_(nullptr, host_window_.Handle(), base.c_str(), source.c_str(), 0);
  EXPECT_TRUE(dirs_.WorkDatabaseExists());
  EXPECT_EQ(HostLogText(), "");
}

TEST_F(PluginTest, ACallAfterAFailedOneCompletes) {
  dirs_.AddSource("BOOK.TXT", "");
  EXPECT_EQ(Call(0), u"0");
  dirs_.AddSampleExport();  // BOOK.TXT with its rows this time
  EXPECT_EQ(Call(0), platform::Utf8ToUtf16(dirs_.ResultPath()));
}

TEST_F(PluginTest, ModuleHandleIsThePluginsLoadAddress) {
  const void* do_it = reinterpret_cast<const void*>(do_it_);
  void* plugin = platform::ModuleHandleOf(do_it);
  void* self = platform::ModuleHandleOf(reinterpret_cast<const void*>(&RunDoItCall));
  ASSERT_NE(plugin, nullptr);
  ASSERT_NE(self, nullptr);
  EXPECT_NE(plugin, self);
  EXPECT_LE(reinterpret_cast<std::uintptr_t>(plugin), reinterpret_cast<std::uintptr_t>(do_it));
  int on_the_stack = 0;
  EXPECT_EQ(platform::ModuleHandleOf(&on_the_stack), nullptr);
}

// --- One call in this process ---------------------------------------------

std::vector<std::u16string>* g_log = nullptr;
void DT_STDCALL RecordLog(void*, std::int32_t, const char16_t* message) {
  g_log->push_back(message);
}

class RunCallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_log = &log_;
    platform::TheApplication().SetHandle(kLibraryHandle);
    options_.clock = &clock_;
  }
  void TearDown() override {
    platform::TheApplication().SetHandle(0);
    g_log = nullptr;
  }
  std::string Call(const char* base, const char* source) {
    return RunDoItCall(kHostHandle, base, source, HostLog(&RecordLog, nullptr), options_);
  }

  static constexpr std::uintptr_t kLibraryHandle = 0x1111;
  static constexpr std::uintptr_t kHostHandle = 0x2222;
  platform::ManualClock clock_;
  RunCallOptions options_;
  testing::RunDirectories dirs_;
  std::vector<std::u16string> log_;
};

TEST_F(RunCallTest, CloseRequestInTheFirstSecondBuildsNothing) {
  dirs_.AddSampleExport();
  std::uintptr_t owner = 0;
  std::string staging;
  options_.window_ready = [&](TFrm_DealText& window) {
    owner = window.OwnerWindow();
    staging = window.StagingDirectory();
    window.PostCloseRequest();
  };
  EXPECT_EQ(Call(dirs_.Base().c_str(), dirs_.Source().c_str()), "0");
  EXPECT_EQ(owner, kHostHandle) << "the run window is owned by the host's window";
  EXPECT_EQ(staging, dirs_.Base() + testing::Native("TempLateTemp/"));
  EXPECT_EQ(platform::TheApplication().Handle(), kLibraryHandle);
  EXPECT_FALSE(dirs_.WorkDatabaseExists());
  EXPECT_TRUE(std::filesystem::is_empty(dirs_.Base() + "TemplateTemp"));
  EXPECT_TRUE(log_.empty());
}

TEST_F(RunCallTest, TwoCompletedCallsReturnTheSamePathAndRestoreTheHandle) {
  dirs_.AddSampleExport();
  const std::string expected = dirs_.ResultPath();
  EXPECT_EQ(Call(dirs_.Base().c_str(), dirs_.Source().c_str()), expected);
  EXPECT_EQ(platform::TheApplication().Handle(), kLibraryHandle);
  // The second run starts again from the template, so its imports do not
  // meet the first run's tables.
  EXPECT_EQ(Call(dirs_.Base().c_str(), dirs_.Source().c_str()), expected);
  EXPECT_EQ(platform::TheApplication().Handle(), kLibraryHandle);
  for (const std::u16string& message : log_) {
    EXPECT_EQ(message.find(u"already exists"), std::u16string::npos);
  }
}

TEST_F(RunCallTest, NullTextsReadAsEmptyAndTheRunFails) {
  EXPECT_EQ(Call(nullptr, nullptr), "0");
  ASSERT_EQ(log_.size(), 1u);
  EXPECT_EQ(log_[0].rfind(platform::AnsiToUtf16(RunFailureMessage(""))), 0u);
  EXPECT_EQ(platform::TheApplication().Handle(), kLibraryHandle);
}

TEST_F(RunCallTest, AFailureToShowTheWindowStillRestoresTheHandle) {
  options_.window_ready = [](TFrm_DealText& window) {
    window.OnShow = [] { throw Exception("cannot show"); };
  };
  EXPECT_THROW(Call(dirs_.Base().c_str(), dirs_.Source().c_str()), Exception);
  EXPECT_EQ(platform::TheApplication().Handle(), kLibraryHandle);
  EXPECT_FALSE(platform::TheApplication().OtherWindowsDisabled());
}

}  // namespace
}  // namespace dt
