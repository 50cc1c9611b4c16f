// The DLL's version resource (Windows form), read back through the system's
// version API as the file's properties read it: the version numbers and the
// strings name the version and commit this build stamped into the tool.
// DEALTEXT_VERSIONED_FILE names another copy of the DLL to read (the one in
// the Windows archive); the build's dealtext.dll otherwise.
#include <gtest/gtest.h>

#ifdef _WIN32

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "src/entry/version.h"

namespace dt {
namespace {

std::string DllPath() {
  const char* other = std::getenv("DEALTEXT_VERSIONED_FILE");
  return other && *other ? other : std::string(DEALTEXT_BUILD_DIR) + "/dealtext.dll";
}

std::wstring Wide(const std::string& utf8) {
  const std::u16string text = platform::Utf8ToUtf16(utf8);
  return std::wstring(text.begin(), text.end());
}

class VersionResourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::wstring path = Wide(DllPath());
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    ASSERT_NE(size, 0u) << DllPath() << " has no version resource (error " << GetLastError() << ")";
    block_.resize(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block_.data()));
  }

  // The string `name` of the resource's US English, UTF-16 table, or
  // "<missing>".
  std::string String(const std::string& name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring key = Wide("\\StringFileInfo\\040904b0\\" + name);
    if (!VerQueryValueW(block_.data(), key.c_str(), &value, &length) || !value) {
      return "<missing>";
    }
    const auto* text = static_cast<const char16_t*>(value);
    std::u16string utf16(text, length);
    while (!utf16.empty() && utf16.back() == u'\0') utf16.pop_back();
    return platform::Utf16ToUtf8(utf16);
  }

  std::vector<char> block_;
};

TEST_F(VersionResourceTest, NumbersAreTheProjectVersion) {
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block_.data(), L"\\", reinterpret_cast<void**>(&info), &length));
  ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(info->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(info->dwFileType, static_cast<DWORD>(VFT_DLL));
  const std::string numbers = std::to_string(HIWORD(info->dwFileVersionMS)) + "." +
                              std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
                              std::to_string(HIWORD(info->dwFileVersionLS));
  EXPECT_EQ(numbers, Version());
  EXPECT_EQ(LOWORD(info->dwFileVersionLS), 0);
  EXPECT_EQ(info->dwProductVersionMS, info->dwFileVersionMS);
  EXPECT_EQ(info->dwProductVersionLS, info->dwFileVersionLS);
}

TEST_F(VersionResourceTest, StringsNameTheProductVersionAndCommit) {
  const struct {
    const char* name;
    std::string expected;
  } cases[] = {
      {"FileVersion", Version()},
      {"ProductVersion", std::string(Version()) + " (commit " + Commit() + ")"},
      {"ProductName", "dealtext"},
      {"OriginalFilename", "dealtext.dll"},
      {"InternalName", "dealtext"},
  };
  for (const auto& c : cases) EXPECT_EQ(String(c.name), c.expected) << c.name;
  const std::string description = String("FileDescription");
  EXPECT_NE(description.find("DoIt plug-in"), std::string::npos) << description;
  EXPECT_NE(String("LegalCopyright").find("MIT"), std::string::npos);
}

}  // namespace
}  // namespace dt

#endif  // _WIN32
