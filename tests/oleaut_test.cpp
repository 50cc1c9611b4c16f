// The OLE strings library as a host and the plug-in load it: the Windows
// BSTR layout, reallocation that releases the old string, and failures
// that leave the caller's string alone.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "platform/codepage.h"
#include "platform/library_names.h"
#include "platform/module.h"
#include "platform/oleaut/oleaut.h"
#include "src/entry/run_result.h"

namespace dt {
namespace {

class OleStringsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
#ifdef _WIN32
    // The system's own: the plug-in and its host use it there.
    library_ = std::make_unique<platform::LoadedLibrary>(platform::kOleStringsLibrary);
#else
    library_ = std::make_unique<platform::LoadedLibrary>(std::string(DEALTEXT_BUILD_DIR) + "/" +
                                                         platform::kOleStringsLibrary);
#endif
  }
  static void TearDownTestSuite() { library_.reset(); }

  void SetUp() override {
    alloc_ = library_->Entry<decltype(&SysAllocStringLen)>("SysAllocStringLen");
    realloc_ = library_->Entry<decltype(&SysReAllocStringLen)>("SysReAllocStringLen");
    free_ = library_->Entry<decltype(&SysFreeString)>("SysFreeString");
    length_ = library_->Entry<decltype(&SysStringLen)>("SysStringLen");
    ASSERT_NE(alloc_, nullptr);
    ASSERT_NE(realloc_, nullptr);
    ASSERT_NE(free_, nullptr);
    ASSERT_NE(length_, nullptr);
  }

  static std::uint32_t Prefix(BSTR text) {
    std::uint32_t bytes = 0;
    std::memcpy(&bytes, reinterpret_cast<const char*>(text) - sizeof bytes, sizeof bytes);
    return bytes;
  }

  static std::unique_ptr<platform::LoadedLibrary> library_;
  decltype(&SysAllocStringLen) alloc_ = nullptr;
  decltype(&SysReAllocStringLen) realloc_ = nullptr;
  decltype(&SysFreeString) free_ = nullptr;
  decltype(&SysStringLen) length_ = nullptr;
};

std::unique_ptr<platform::LoadedLibrary> OleStringsTest::library_;

TEST_F(OleStringsTest, AllocatesInTheWindowsLayout) {
  const std::u16string cases[] = {u"", u"0", u"/base/TempLateTemp/KORVA.mdb", u"\u6570\u636E",
                                  std::u16string(u"a\0b", 3)};
  for (const std::u16string& text : cases) {
    BSTR s = alloc_(text.data(), static_cast<std::uint32_t>(text.size()));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(Prefix(s), text.size() * 2) << "the prefix counts bytes";
    EXPECT_EQ(length_(s), text.size());
    EXPECT_EQ(std::u16string(s, text.size()), text);
    EXPECT_EQ(s[text.size()], u'\0') << "terminating zero";
    free_(s);
  }
}

TEST_F(OleStringsTest, NullTextGivesZeroedUnits) {
  BSTR s = alloc_(nullptr, 4);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(std::u16string(s, 5), std::u16string(5, u'\0'));
  free_(s);
}

TEST_F(OleStringsTest, NullStringIsEmptyAndFreeingItDoesNothing) {
  EXPECT_EQ(length_(nullptr), 0u);
  free_(nullptr);
}

TEST_F(OleStringsTest, ReallocationReplacesAndReleasesTheOldString) {
  BSTR s = alloc_(u"old text", 8);
  ASSERT_EQ(realloc_(&s, u"0", 1), 1);
  EXPECT_EQ(std::u16string(s, length_(s)), u"0");
  EXPECT_EQ(s[1], u'\0');
  free_(s);  // the sanitizer build reports the old string if it leaked
}

TEST_F(OleStringsTest, ReallocationOfANullVariableAllocates) {
  BSTR s = nullptr;
  ASSERT_EQ(realloc_(&s, u"abc", 3), 1);
  EXPECT_EQ(std::u16string(s, length_(s)), u"abc");
  free_(s);
}

TEST_F(OleStringsTest, ReallocationFromInsideTheOldString) {
  BSTR s = alloc_(u"prefix-tail", 11);
  ASSERT_EQ(realloc_(&s, s + 7, 4), 1);
  EXPECT_EQ(std::u16string(s, length_(s)), u"tail");
  free_(s);
}

TEST_F(OleStringsTest, FailuresLeaveTheVariableAlone) {
#ifndef _WIN32
  // The stand-in refuses a missing variable; the system's oleaut32 does not
  // check for one, which is why StoreRunResult never passes it on.
  EXPECT_EQ(realloc_(nullptr, u"x", 1), 0);
#endif
  const std::uint32_t too_long = std::numeric_limits<std::uint32_t>::max() / 2;
  EXPECT_EQ(alloc_(nullptr, too_long), nullptr);
  BSTR s = alloc_(u"kept", 4);
  EXPECT_EQ(realloc_(&s, nullptr, too_long), 0);
  EXPECT_EQ(std::u16string(s, length_(s)), u"kept");
  free_(s);
}

TEST_F(OleStringsTest, RunResultReplacesWhatTheHostsVariableHeld) {
  const struct {
    std::string ansi;
    std::u16string wide;
  } cases[] = {
      {"0", u"0"},
      {"/conv/TemplateTemp/KORVA.mdb", u"/conv/TemplateTemp/KORVA.mdb"},
      {platform::Ansi(u8"/转换/TemplateTemp/KORVA.mdb"), u"/\u8F6C\u6362/TemplateTemp/KORVA.mdb"},
  };
  for (const auto& c : cases) {
    BSTR result = alloc_(u"a longer string held before the call", 36);
    ASSERT_TRUE(StoreRunResult(&result, c.ansi, realloc_));
    EXPECT_EQ(std::u16string(result, length_(result)), c.wide);
    EXPECT_EQ(result[c.wide.size()], u'\0');
    free_(result);
  }
}

TEST_F(OleStringsTest, RunResultWithoutAVariableIsIgnored) {
  EXPECT_FALSE(StoreRunResult(nullptr, "0", realloc_));
}

}  // namespace
}  // namespace dt
