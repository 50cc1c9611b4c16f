// The run window: its layout as data, the event loop it runs on (timers,
// close requests, modal results) and the run its start timer drives, with
// the outcome and the run failure message. The clock is a manual one, so
// the window's one-second wait costs nothing.
#include "src/entry/run_window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "platform/codepage.h"
#include "platform/errors.h"
#include "platform/stdcall.h"
#include "platform/ui.h"
#include "src/entry/run_sequence.h"
#include "src/workdb/work_paths.h"
#include "tests/entry_fixture.h"

namespace dt {
namespace {

using namespace std::chrono_literals;
using platform::Ansi;

std::vector<std::u16string>* g_log = nullptr;

void DT_STDCALL RecordLog(void*, std::int32_t kind, const char16_t* message) {
  EXPECT_EQ(kind, 3);
  g_log->push_back(message);
}

// --- The event loop -------------------------------------------------------

TEST(EventLoopTest, TimerFiresOnceItsIntervalHasPassed) {
  platform::ManualClock clock;
  const platform::TimePoint shown = clock.Now();
  platform::Form form(clock);
  platform::Timer timer(form);
  std::vector<platform::TimePoint> ticks;
  form.OnShow = [&] { timer.SetEnabled(true); };
  timer.OnTimer = [&] {
    ticks.push_back(clock.Now());
    if (ticks.size() == 3) form.SetModalResult(platform::mrOk);
  };
  EXPECT_EQ(timer.Interval(), 1000);
  EXPECT_EQ(form.ShowModal(), platform::mrOk);
  EXPECT_EQ(ticks, (std::vector<platform::TimePoint>{shown + 1s, shown + 2s, shown + 3s}));
  EXPECT_FALSE(form.Visible());
}

TEST(EventLoopTest, CloseRequestBeforeTheTickCancels) {
  platform::ManualClock clock;
  platform::Form form(clock);
  platform::Timer timer(form);
  bool ticked = false;
  form.OnShow = [&] { timer.SetEnabled(true); };
  timer.OnTimer = [&] { ticked = true; };
  form.PostCloseRequest();
  EXPECT_EQ(form.ShowModal(), platform::mrCancel);
  EXPECT_FALSE(ticked);
}

TEST(EventLoopTest, LoopWithNothingToWaitForEndsCancelled) {
  platform::ManualClock clock;
  platform::Form form(clock);
  platform::Timer disabled(form);
  EXPECT_EQ(form.ShowModal(), platform::mrCancel);
}

TEST(EventLoopTest, ProcessMessagesHandlesWhatIsDueOnceWithoutWaiting) {
  platform::ManualClock clock;
  platform::Form form(clock);
  platform::Timer due(form);
  platform::Timer later(form);
  int due_ticks = 0;
  int later_ticks = 0;
  due.SetInterval(0);  // an interval of 0 never fires
  due.SetEnabled(true);
  due.SetInterval(10);
  later.SetInterval(5000);
  later.SetEnabled(true);
  due.OnTimer = [&] { ++due_ticks; };
  later.OnTimer = [&] { ++later_ticks; };
  const platform::TimePoint start = clock.Now();
  clock.Advance(10ms);
  form.PostCloseRequest();
  form.ProcessMessages();
  EXPECT_EQ(due_ticks, 1);
  EXPECT_EQ(later_ticks, 0);
  EXPECT_EQ(form.ModalResult(), platform::mrCancel);
  form.ProcessMessages();
  EXPECT_EQ(due_ticks, 1) << "not due again yet";
  EXPECT_EQ(clock.Now(), start + 10ms) << "never waits";
}

TEST(EventLoopTest, ModalStateAndOwnerWindow) {
  platform::ManualClock clock;
  platform::TheApplication().SetHandle(0x5151);
  platform::Form form(clock);
  platform::TheApplication().SetHandle(0);
  EXPECT_EQ(form.OwnerWindow(), 0x5151u);
  bool visible_during = false;
  bool disabled_during = false;
  form.OnShow = [&] {
    visible_during = form.Visible();
    disabled_during = platform::TheApplication().OtherWindowsDisabled();
    form.Close();
  };
  EXPECT_EQ(form.ShowModal(), platform::mrCancel);
  EXPECT_TRUE(visible_during);
  EXPECT_TRUE(disabled_during);
  EXPECT_FALSE(platform::TheApplication().OtherWindowsDisabled());
}

TEST(EventLoopTest, AnErrorInAHandlerLeavesTheFormHidden) {
  platform::ManualClock clock;
  platform::Form form(clock);
  form.OnShow = [] { throw Exception("show failed"); };
  EXPECT_THROW(form.ShowModal(), Exception);
  EXPECT_FALSE(form.Visible());
  EXPECT_FALSE(platform::TheApplication().OtherWindowsDisabled());
}

// --- The form's controls ----------------------------------------------------

TEST(FormControlsTest, ControlsAreKeptInOrderAndKnowTheirForm) {
  platform::ManualClock clock;
  platform::Form form(clock);
  platform::Panel panel;
  platform::Label label;
  label.parent = &panel;
  platform::ProgressBar bar;
  form.AddControl(&panel);
  form.AddControl(&label);
  form.AddControl(&bar);
  ASSERT_EQ(form.Controls().size(), 3u);
  EXPECT_EQ(std::get<platform::Panel*>(form.Controls()[0]), &panel);
  EXPECT_EQ(std::get<platform::Label*>(form.Controls()[1]), &label);
  EXPECT_EQ(std::get<platform::ProgressBar*>(form.Controls()[2]), &bar);
  EXPECT_EQ(label.form, &form);
  bar.Repaint();
  EXPECT_EQ(bar.paint_count, 1) << "a form without a window still counts the redraw";
  EXPECT_EQ(form.WindowHandle(), 0u);
}

TEST(FormControlsTest, AControlBeforeItsParentIsRefused) {
  platform::ManualClock clock;
  platform::Form form(clock);
  platform::Panel panel;
  platform::Button button;
  button.parent = &panel;
  EXPECT_THROW(form.AddControl(&button), std::invalid_argument);
  EXPECT_TRUE(form.Controls().empty());
  EXPECT_EQ(button.form, nullptr);
  EXPECT_THROW(form.AddControl(static_cast<platform::Panel*>(nullptr)), std::invalid_argument);
}

// --- The run window -------------------------------------------------------

class RunWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { g_log = &log_; }
  void TearDown() override { g_log = nullptr; }

  // A window set up as the entry point sets it up.
  std::unique_ptr<TFrm_DealText> MakeWindow() {
    auto window = std::make_unique<TFrm_DealText>(HostLog(&RecordLog, &module_), clock_);
    window->SetSourceDirectory(dirs_.Source());
    window->SetBaseDirectory(dirs_.Base());
    window->SetStagingDirectory(StagingDirectoryFor(dirs_.Base()));
    return window;
  }

  static std::u16string Wide(const std::string& ansi) { return platform::AnsiToUtf16(ansi); }

  int module_ = 0;
  platform::ManualClock clock_;
  testing::RunDirectories dirs_;
  std::vector<std::u16string> log_;
};

TEST_F(RunWindowTest, LayoutTextsAndComponents) {
  auto window = MakeWindow();
  EXPECT_EQ(window->caption, Ansi(u8"Brennick国库集中支付(TXT)预处理"));
  EXPECT_EQ(window->client_width, 303);
  EXPECT_EQ(window->client_height, 91);
  EXPECT_TRUE(window->centered_on_screen);
  EXPECT_TRUE(window->dialog_frame);
  EXPECT_EQ(window->RzLabel_ShowInfo.caption, Ansi(u8"数据源处理中请稍候..."));
  EXPECT_EQ(window->RzLabel_ShowInfo.font.name, Ansi(u8"宋体"));
  EXPECT_EQ(window->RzLabel_ShowInfo.font.height, 12);
  EXPECT_EQ(window->RzLabel_ShowInfo.font.charset, platform::kGb2312Charset);
  EXPECT_EQ(window->Btn_OK.caption, Ansi(u8"确定"));
  EXPECT_FALSE(window->Btn_OK.enabled);
  EXPECT_TRUE(window->Btn_OK.is_default);
  EXPECT_EQ(window->StratTimer.Interval(), 1000);
  EXPECT_FALSE(window->StratTimer.Enabled());
  EXPECT_EQ(window->Progress_Step.TotalParts, 100);
  EXPECT_EQ(window->Progress_Step.PartsComplete, 0);
  EXPECT_EQ(window->Progress_Step.Percent, 0);

  const struct {
    const platform::Control& control;
    const char* name;
    const platform::Control* parent;
    platform::Bounds bounds;
  } controls[] = {
      {window->RzPanel1, "RzPanel1", nullptr, {0, 64, 303, 27}},
      {window->Btn_OK, "Btn_OK", &window->RzPanel1, {104, 0, 75, 25}},
      {window->RzPanel_Client, "RzPanel_Client", nullptr, {0, 0, 303, 64}},
      {window->RzLabel_ShowInfo, "RzLabel_ShowInfo", &window->RzPanel_Client, {2, 2, 299, 36}},
      {window->Progress_Step, "Progress_Step", &window->RzPanel_Client, {2, 38, 299, 24}},
  };
  for (const auto& c : controls) {
    EXPECT_EQ(c.control.name, c.name);
    EXPECT_EQ(c.control.parent, c.parent) << c.name;
    EXPECT_EQ(c.control.bounds, c.bounds) << c.name;
  }
  // The form draws what it knows, in this order, parents first.
  std::vector<const platform::Control*> known;
  for (const auto& control : window->Controls()) {
    known.push_back(
        std::visit([](const auto* c) -> const platform::Control* { return c; }, control));
  }
  EXPECT_EQ(known, (std::vector<const platform::Control*>{
                       &window->RzPanel1, &window->Btn_OK, &window->RzPanel_Client,
                       &window->RzLabel_ShowInfo, &window->Progress_Step}));
}

TEST_F(RunWindowTest, CompletedRunGivesOkAndThePathOnDisk) {
  dirs_.AddSampleExport();
  auto window = MakeWindow();
  const platform::TimePoint shown = clock_.Now();
  std::vector<int> drawn;
  window->Progress_Step.OnPaint = [&drawn](const platform::ProgressBar& b) {
    drawn.push_back(b.Percent);
  };
  EXPECT_EQ(window->ShowModal(), platform::mrOk);
  EXPECT_EQ(clock_.Now(), shown + 1s) << "the run starts one second after the window shows";
  // The staging folder is spelled "TemplateTemp" on disk; Windows is given
  // the promised "TempLateTemp".
  EXPECT_EQ(window->ResultPath(), dirs_.ResultPath());
  EXPECT_TRUE(dirs_.WorkDatabaseExists());
  EXPECT_EQ(window->Progress_Step.PartsComplete, 100);
  EXPECT_EQ(window->Progress_Step.Percent, 100);
  EXPECT_EQ(drawn.back(), 100);
  for (const std::u16string& message : log_) {
    EXPECT_NE(message.rfind(Wide(RunFailureMessage("")), 0), 0u) << "no run failure";
  }
}

TEST_F(RunWindowTest, ResultPathNamesTheStagingFolderTheBuildWrote) {
  dirs_.AddSampleExport();
  // On a file system that keeps letter case apart this is a second folder;
  // the build stages into TemplateTemp, so the result must name that one.
  std::filesystem::create_directories(dirs_.Base() + "TempLateTemp");
  auto window = MakeWindow();
  EXPECT_EQ(window->ShowModal(), platform::mrOk);
  EXPECT_EQ(window->ResultPath(), dirs_.ResultPath());
  EXPECT_TRUE(std::filesystem::exists(window->ResultPath()));
}

TEST_F(RunWindowTest, CloseRequestBeforeTheFirstTickBuildsNothing) {
  dirs_.AddSampleExport();
  auto window = MakeWindow();
  window->PostCloseRequest();
  EXPECT_EQ(window->ShowModal(), platform::mrCancel);
  EXPECT_FALSE(window->RunStarted());
  EXPECT_TRUE(window->ResultPath().empty());
  EXPECT_FALSE(dirs_.WorkDatabaseExists());
  EXPECT_TRUE(log_.empty());
}

TEST_F(RunWindowTest, CloseRequestDuringTheRunDoesNotChangeItsOutcome) {
  dirs_.AddSampleExport();
  auto window = MakeWindow();
  // Due with the start timer; discovery's event processing handles it.
  platform::Timer closer(*window);
  bool closed_while_running = false;
  closer.OnTimer = [&] {
    closer.SetEnabled(false);
    closed_while_running = window->RunStarted();
    window->PostCloseRequest();
  };
  window->OnShow = [&] {
    window->FormShow();
    closer.SetEnabled(true);
  };
  EXPECT_EQ(window->ShowModal(), platform::mrOk);
  EXPECT_TRUE(closed_while_running);
  EXPECT_FALSE(window->ResultPath().empty());
}

TEST_F(RunWindowTest, EmptySourceFileEndsTheRunWithTheFailureMessage) {
  dirs_.AddSource("BOOK.TXT", "");
  auto window = MakeWindow();
  EXPECT_EQ(window->ShowModal(), platform::mrCancel);
  EXPECT_TRUE(window->RunStarted());
  EXPECT_TRUE(window->ResultPath().empty());
  ASSERT_EQ(log_.size(), 1u);
  EXPECT_EQ(log_[0],
            u"\u6570\u636E\u9884\u5904\u7406\u51FA\u73B0\u5F02\u5E38\uFF01"
            u"List index out of bounds (0)");
}

TEST_F(RunWindowTest, ErrorWithAnEmptyMessageLogsTheFrameAlone) {
  dirs_.AddSource("A.TXT", "x\r\n");
  dirs_.AddSource("B.TXT", "x\r\n");
  auto window = MakeWindow();
  // Runs inside discovery's event processing, after its second entry.
  platform::Timer failing(*window);
  failing.OnTimer = [] { throw Exception(""); };
  window->OnShow = [&] {
    window->FormShow();
    failing.SetEnabled(true);
  };
  EXPECT_EQ(window->ShowModal(), platform::mrCancel);
  ASSERT_EQ(log_.size(), 1u);
  EXPECT_EQ(log_[0], u"\u6570\u636E\u9884\u5904\u7406\u51FA\u73B0\u5F02\u5E38\uFF01");
  EXPECT_FALSE(dirs_.WorkDatabaseExists()) << "the build never started";
}

TEST_F(RunWindowTest, EmptySourceFolderStillRunsTheBuild) {
  auto window = MakeWindow();
  window->ShowModal();
  EXPECT_TRUE(window->RunStarted());
  EXPECT_TRUE(dirs_.WorkDatabaseExists()) << "the template is copied for an empty list";
}

}  // namespace
}  // namespace dt
