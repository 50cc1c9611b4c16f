// Forms as the Windows form draws them (platform/win32/ui.cpp), seen in the
// run window as a person sees it: a real modal window owned by the host's
// window and laid out from the form's data, its progress bar redrawn at once
// while the start timer's handler runs, the host's windows disabled for the
// length of the run, close requests from the close box, and handler errors
// leaving ShowModal. Needs a desktop (under Wine an X
// display, such as Xvfb's); skips without one. When the environment
// variable DEALTEXT_RUN_WINDOW_SHOT names a file, the capture taken in the
// middle of a real run is also saved there as a BMP picture.
#include <gtest/gtest.h>

#ifdef _WIN32

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/codepage.h"
#include "platform/errors.h"
#include "platform/host_window.h"
#include "platform/stdcall.h"
#include "platform/ui.h"
#include "src/entry/progress.h"
#include "src/entry/run_sequence.h"
#include "src/entry/run_window.h"
#include "src/workdb/work_paths.h"
#include "tests/entry_fixture.h"

namespace dt {
namespace {

// --- Looking at windows ------------------------------------------------------

// The pixels of a whole window (frame included) as the screen shows them.
struct Capture {
  int width = 0;
  int height = 0;
  POINT client{};                     // the client area's origin in the picture
  std::vector<std::uint32_t> pixels;  // top-down rows of 0x00RRGGBB

  bool Empty() const { return pixels.empty(); }
  // The colour at a point of the client area.
  COLORREF At(int x, int y) const {
    const std::uint32_t p = pixels[(client.y + y) * width + client.x + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
};

struct DcDeleter {
  void operator()(HDC dc) const { DeleteDC(dc); }
};
struct GdiDeleter {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};

Capture CaptureWindow(HWND window) {
  RECT frame;
  GetWindowRect(window, &frame);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  Capture capture;
  capture.width = frame.right - frame.left;
  capture.height = frame.bottom - frame.top;
  capture.client = {origin.x - frame.left, origin.y - frame.top};

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = capture.width;
  info.bmiHeader.biHeight = -capture.height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  const HDC screen = GetWindowDC(window);
  std::unique_ptr<HDC__, DcDeleter> memory(CreateCompatibleDC(screen));
  void* bits = nullptr;
  std::unique_ptr<void, GdiDeleter> bitmap(
      CreateDIBSection(memory.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (bitmap != nullptr) {
    const HGDIOBJ previous = SelectObject(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, capture.width, capture.height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* first = static_cast<const std::uint32_t*>(bits);
    capture.pixels.assign(first, first + capture.width * capture.height);
    SelectObject(memory.get(), previous);
  }
  ReleaseDC(window, screen);
  return capture;
}

// Writes the picture as a 32-bit BMP file.
void SaveBmp(const Capture& capture, const std::string& path) {
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = capture.width;
  header.biHeight = -capture.height;
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = BI_RGB;
  const DWORD bytes = static_cast<DWORD>(capture.pixels.size() * sizeof(std::uint32_t));
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + bytes;
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  out.write(reinterpret_cast<const char*>(capture.pixels.data()), bytes);
  ASSERT_TRUE(out.good()) << "cannot write " << path;
}

// A child window of `form` and where it sits in the form's client area.
struct Child {
  HWND window = nullptr;
  std::wstring class_name;
  RECT place{};
};

BOOL CALLBACK CollectChild(HWND window, LPARAM found) {
  Child child;
  child.window = window;
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  child.class_name = name;
  GetWindowRect(window, &child.place);
  MapWindowPoints(HWND_DESKTOP, GetAncestor(window, GA_ROOT),
                  reinterpret_cast<POINT*>(&child.place), 2);
  reinterpret_cast<std::vector<Child>*>(found)->push_back(child);
  return TRUE;
}

std::vector<Child> ChildrenOf(HWND form) {
  std::vector<Child> children;
  EnumChildWindows(form, &CollectChild, reinterpret_cast<LPARAM>(&children));
  return children;
}

const Child* FindChild(const std::vector<Child>& children, const wchar_t* class_name) {
  for (const Child& child : children) {
    if (_wcsicmp(child.class_name.c_str(), class_name) == 0) return &child;
  }
  return nullptr;
}

int CountInRow(const Capture& capture, int y, int left, int right, COLORREF color) {
  int count = 0;
  for (int x = left; x < right; ++x) count += capture.At(x, y) == color ? 1 : 0;
  return count;
}

// A control's place in the form's client area, from the form's data.
RECT PlaceOf(const platform::Control& control) {
  RECT place{control.bounds.left, control.bounds.top, 0, 0};
  for (const platform::Control* p = control.parent; p != nullptr; p = p->parent) {
    place.left += p->bounds.left;
    place.top += p->bounds.top;
  }
  place.right = place.left + control.bounds.width;
  place.bottom = place.top + control.bounds.height;
  return place;
}

bool SamePlace(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// --- The fixture -------------------------------------------------------------

// What the run window wrote to the host's log, as UTF-8.
std::vector<std::string>* g_log = nullptr;

void DT_STDCALL RecordLog(void*, std::int32_t, const char16_t* message) {
  if (g_log != nullptr) g_log->push_back(platform::Utf16ToUtf8(message));
}

class UiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                       nullptr, nullptr);
    if (probe == nullptr) {
      GTEST_SKIP() << "no desktop to show windows on (under Wine: set DISPLAY to an X server "
                      "such as Xvfb)";
    }
    DestroyWindow(probe);
    host_ = std::make_unique<platform::HostWindow>();
    platform::TheApplication().SetHandle(host_->Handle());
    g_log = &log_;
  }
  void TearDown() override {
    platform::TheApplication().SetHandle(0);
    g_log = nullptr;
  }

  HWND Host() const { return reinterpret_cast<HWND>(host_->Handle()); }

  // The run window, on the system clock, as the entry point makes it.
  std::unique_ptr<TFrm_DealText> MakeWindow() {
    auto window = std::make_unique<TFrm_DealText>(HostLog(&RecordLog, nullptr));
    window->SetSourceDirectory(dirs_.Source());
    window->SetBaseDirectory(dirs_.Base());
    window->SetStagingDirectory(StagingDirectoryFor(dirs_.Base()));
    return window;
  }

  std::unique_ptr<platform::HostWindow> host_;
  testing::RunDirectories dirs_;
  std::vector<std::string> log_;
};

// What was seen from inside the start timer's handler.
struct Seen {
  HWND window = nullptr;
  Capture capture;
  std::vector<Child> children;
  bool host_enabled = true;
  HWND owner = nullptr;
  RECT frame{};  // on the screen
  RECT client{};
  std::wstring caption;
  int paint_count = 0;
  bool button_enabled = true;
  std::wstring button_caption;
};

std::wstring TextOf(HWND window) {
  wchar_t text[128] = {};
  GetWindowTextW(window, text, 128);
  return text;
}

// Shows the run window with a handler that moves the bar to `percent` and
// looks at the window at once, without handling any message first. The
// handler runs soon after the window shows: the drawing is under test here,
// not the start timer's wait.
Seen ShowAtPercent(TFrm_DealText& window, HWND host, int percent) {
  Seen seen;
  window.StratTimer.SetInterval(10);
  window.StratTimer.OnTimer = [&] {
    window.StratTimer.SetEnabled(false);
    window.AdvanceProgress(percent);
    seen.window = reinterpret_cast<HWND>(window.WindowHandle());
    seen.capture = CaptureWindow(seen.window);
    seen.children = ChildrenOf(seen.window);
    seen.host_enabled = IsWindowEnabled(host) != 0;
    seen.owner = GetWindow(seen.window, GW_OWNER);
    seen.caption = TextOf(seen.window);
    GetWindowRect(seen.window, &seen.frame);
    GetClientRect(seen.window, &seen.client);
    seen.paint_count = window.Progress_Step.paint_count;
    if (const Child* button = FindChild(seen.children, L"Button")) {
      seen.button_enabled = IsWindowEnabled(button->window) != 0;
      seen.button_caption = TextOf(button->window);
    }
    window.SetModalResult(platform::mrOk);
  };
  EXPECT_EQ(window.ShowModal(), platform::mrOk);
  return seen;
}

// --- The window as drawn -----------------------------------------------------

TEST_F(UiTest, ControlsSitWhereTheFormPutsThem) {
  auto window = MakeWindow();
  const Seen seen = ShowAtPercent(*window, Host(), 40);
  ASSERT_NE(seen.window, nullptr);

  const struct {
    const platform::Control& control;
    const wchar_t* class_name;
  } expected[] = {
      {window->RzPanel1, L"DealTextPanel"},       {window->Btn_OK, L"Button"},
      {window->RzPanel_Client, L"DealTextPanel"}, {window->RzLabel_ShowInfo, L"Static"},
      {window->Progress_Step, PROGRESS_CLASSW},
  };
  ASSERT_EQ(seen.children.size(), std::size(expected));
  for (const auto& e : expected) {
    const RECT place = PlaceOf(e.control);
    bool found = false;
    for (const Child& child : seen.children) {
      found = found || (SamePlace(child.place, place) &&
                        _wcsicmp(child.class_name.c_str(), e.class_name) == 0);
    }
    EXPECT_TRUE(found) << e.control.name << " has no window of its kind at its place";
  }
  EXPECT_EQ(seen.client.right, window->client_width);
  EXPECT_EQ(seen.client.bottom, window->client_height);
  EXPECT_NEAR(seen.frame.left + seen.frame.right, GetSystemMetrics(SM_CXSCREEN), 1)
      << "centred across the screen";
  EXPECT_NEAR(seen.frame.top + seen.frame.bottom, GetSystemMetrics(SM_CYSCREEN), 1)
      << "centred down the screen";
  EXPECT_EQ(seen.caption, L"Brennick\u56FD\u5E93\u96C6\u4E2D\u652F\u4ED8(TXT)\u9884\u5904\u7406");
}

TEST_F(UiTest, BarIsFilledToItsPercentBeforeAnyMessageIsHandled) {
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  const COLORREF white = RGB(255, 255, 255);
  for (const int percent : {40, 75}) {
    SCOPED_TRACE(percent);
    auto window = MakeWindow();
    const Seen seen = ShowAtPercent(*window, Host(), percent);
    ASSERT_FALSE(seen.capture.Empty());
    EXPECT_EQ(seen.paint_count, 1) << "the model still counts the redraw";
    const RECT bar = PlaceOf(window->Progress_Step);
    const int width = bar.right - bar.left;
    // A row near the top edge, above the percentage text.
    const int row = bar.top + 2;
    const int filled = CountInRow(seen.capture, row, bar.left, bar.right, highlight);
    EXPECT_NEAR(filled, width * percent / 100, 2);
    EXPECT_EQ(CountInRow(seen.capture, row, bar.left, bar.left + filled, highlight), filled)
        << "filled from the left";
    EXPECT_NEAR(CountInRow(seen.capture, row, bar.left, bar.right, white), width - filled, 2);
  }
}

TEST_F(UiTest, PercentageIsWrittenInTheMiddleOfTheBar) {
  auto window = MakeWindow();
  const Seen seen = ShowAtPercent(*window, Host(), 10);
  ASSERT_FALSE(seen.capture.Empty());
  const RECT bar = PlaceOf(window->Progress_Step);
  // At 10 % the middle of the bar is its white background: the text is
  // whatever is neither white nor the bar.
  int text = 0;
  const int middle = (bar.left + bar.right) / 2;
  for (int y = bar.top; y < bar.bottom; ++y) {
    for (int x = middle - 20; x < middle + 20; ++x) {
      const COLORREF c = seen.capture.At(x, y);
      text += c != RGB(255, 255, 255) && c != GetSysColor(COLOR_HIGHLIGHT) ? 1 : 0;
    }
  }
  EXPECT_GT(text, 10);
}

TEST_F(UiTest, StatusTextIsDrawnInGreyOnThePanelColour) {
  auto window = MakeWindow();
  const Seen seen = ShowAtPercent(*window, Host(), 40);
  ASSERT_FALSE(seen.capture.Empty());
  const RECT label = PlaceOf(window->RzLabel_ShowInfo);
  const COLORREF background = RGB(240, 240, 240);
  EXPECT_EQ(seen.capture.At(label.left, label.top), background);
  int text = 0;
  int darker_than_grey = 0;
  for (int y = label.top; y < label.bottom; ++y) {
    for (int x = label.left; x < label.right; ++x) {
      const COLORREF c = seen.capture.At(x, y);
      if (c == background) continue;
      ++text;
      darker_than_grey += GetRValue(c) < 128 || GetGValue(c) < 128 || GetBValue(c) < 128;
    }
  }
  EXPECT_GT(text, 50) << "the status text is drawn";
  EXPECT_EQ(darker_than_grey, 0) << "in grey, not in the window's text colour";
}

// --- Modal state -------------------------------------------------------------

TEST_F(UiTest, HostIsDisabledWhileShownAndOwnsTheWindow) {
  auto window = MakeWindow();
  const Seen seen = ShowAtPercent(*window, Host(), 40);
  EXPECT_FALSE(seen.host_enabled);
  EXPECT_EQ(seen.owner, Host());
  EXPECT_TRUE(IsWindowEnabled(Host()));
  EXPECT_FALSE(IsWindow(seen.window)) << "the window is gone once the loop has ended";
  EXPECT_EQ(window->WindowHandle(), 0u);
  EXPECT_FALSE(window->Visible());
}

TEST_F(UiTest, ButtonIsShownDisabledWithItsCaption) {
  auto window = MakeWindow();
  const Seen seen = ShowAtPercent(*window, Host(), 40);
  EXPECT_FALSE(seen.button_enabled);
  EXPECT_EQ(seen.button_caption, L"\u786E\u5B9A");
}

TEST_F(UiTest, OtherWindowsOfTheThreadAreDisabledAndRestoredAsTheyWere) {
  const auto make = [](bool enabled) {
    const HWND window = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPED | WS_VISIBLE, 0, 0,
                                        50, 50, nullptr, nullptr, nullptr, nullptr);
    EnableWindow(window, enabled);
    return window;
  };
  const HWND was_enabled = make(true);
  const HWND was_disabled = make(false);
  platform::Form form;
  platform::Timer timer(form);
  bool enabled_during = true;
  form.OnShow = [&] { timer.SetEnabled(true); };
  timer.OnTimer = [&] {
    enabled_during = IsWindowEnabled(was_enabled) != 0;
    form.SetModalResult(platform::mrOk);
  };
  timer.SetInterval(10);
  EXPECT_EQ(form.ShowModal(), platform::mrOk);
  EXPECT_FALSE(enabled_during);
  EXPECT_TRUE(IsWindowEnabled(was_enabled));
  EXPECT_FALSE(IsWindowEnabled(was_disabled)) << "a window disabled before stays disabled";
  DestroyWindow(was_enabled);
  DestroyWindow(was_disabled);
}

TEST_F(UiTest, CloseBoxBeforeTheTickCancelsAndTheTimerNeverRuns) {
  auto window = MakeWindow();
  bool ticked = false;
  window->StratTimer.OnTimer = [&] { ticked = true; };
  window->OnShow = [&] {
    window->FormShow();
    PostMessageW(reinterpret_cast<HWND>(window->WindowHandle()), WM_CLOSE, 0, 0);
  };
  EXPECT_EQ(window->ShowModal(), platform::mrCancel);
  EXPECT_FALSE(ticked);
  EXPECT_TRUE(IsWindowEnabled(Host()));
}

TEST_F(UiTest, CloseBoxDuringTheHandlerIsHandledButTheHandlerDecides) {
  platform::Form form;
  platform::Timer timer(form);
  int result_after_pump = platform::mrNone;
  form.OnShow = [&] { timer.SetEnabled(true); };
  timer.SetInterval(10);
  timer.OnTimer = [&] {
    timer.SetEnabled(false);
    PostMessageW(reinterpret_cast<HWND>(form.WindowHandle()), WM_CLOSE, 0, 0);
    form.ProcessMessages();
    result_after_pump = form.ModalResult();
    form.SetModalResult(platform::mrOk);
  };
  EXPECT_EQ(form.ShowModal(), platform::mrOk);
  EXPECT_EQ(result_after_pump, platform::mrCancel) << "ProcessMessages handled the close box";
}

// --- Errors of handlers --------------------------------------------------------

TEST_F(UiTest, HandlerErrorLeavesShowModalAndGivesBackTheHost) {
  platform::Form form;
  platform::Timer timer(form);
  HWND shown = nullptr;
  form.OnShow = [&] { timer.SetEnabled(true); };
  timer.SetInterval(10);
  timer.OnTimer = [&] {
    shown = reinterpret_cast<HWND>(form.WindowHandle());
    throw EFOpenError("cannot open");
  };
  try {
    form.ShowModal();
    ADD_FAILURE() << "ShowModal returned";
  } catch (const EFOpenError& error) {
    EXPECT_EQ(error.Message(), "cannot open");
  }
  EXPECT_TRUE(IsWindowEnabled(Host()));
  EXPECT_FALSE(platform::TheApplication().OtherWindowsDisabled());
  EXPECT_FALSE(form.Visible());
  EXPECT_NE(shown, nullptr);
  EXPECT_FALSE(IsWindow(shown));
}

TEST_F(UiTest, ErrorOfATimerRunByProcessMessagesLeavesProcessMessages) {
  platform::Form form;
  platform::Timer outer(form);
  platform::Timer inner(form);
  std::string caught;
  form.OnShow = [&] { outer.SetEnabled(true); };
  outer.SetInterval(10);
  inner.SetInterval(10);
  inner.OnTimer = [&] {
    inner.SetEnabled(false);
    throw Exception("inner failed");
  };
  outer.OnTimer = [&] {
    outer.SetEnabled(false);
    inner.SetEnabled(true);
    // The inner timer comes due while this handler still runs; wait for it
    // no longer than a generous bound.
    for (int turn = 0; turn < 500 && caught.empty(); ++turn) {
      try {
        form.ProcessMessages();
      } catch (const Exception& error) {
        caught = error.Message();
      }
      Sleep(10);
    }
    form.SetModalResult(platform::mrOk);
  };
  EXPECT_EQ(form.ShowModal(), platform::mrOk);
  EXPECT_EQ(caught, "inner failed");
}

// --- A real run ----------------------------------------------------------------

TEST_F(UiTest, RealRunDrawsItsProgressWhileTheBuildWorks) {
  dirs_.AddSampleExport();
  auto window = MakeWindow();
  Capture halfway;
  window->Progress_Step.OnPaint = [&](const platform::ProgressBar& bar) {
    if (bar.Percent == 50) halfway = CaptureWindow(reinterpret_cast<HWND>(window->WindowHandle()));
  };
  EXPECT_EQ(window->ShowModal(), platform::mrOk) << ::testing::PrintToString(log_);
  EXPECT_TRUE(dirs_.WorkDatabaseExists());
  ASSERT_FALSE(halfway.Empty()) << "the bar passed 50 %";
  const RECT bar = PlaceOf(window->Progress_Step);
  const int filled =
      CountInRow(halfway, bar.top + 2, bar.left, bar.right, GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_NEAR(filled, (bar.right - bar.left) / 2, 2);
  if (const char* path = std::getenv("DEALTEXT_RUN_WINDOW_SHOT")) SaveBmp(halfway, path);
}

}  // namespace
}  // namespace dt

#else  // !_WIN32

TEST(UiTest, OnlyOnWindows) { GTEST_SKIP() << "the run window is drawn only in the Windows form"; }

#endif
