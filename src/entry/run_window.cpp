// The run window: its layout as data, its handlers and the start timer's
// run, with the window's one catch point for a failed run.
#include "src/entry/run_window.h"

#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "platform/codepage.h"
#include "src/entry/progress.h"
#include "src/entry/run_sequence.h"
#include "src/workdb/data_access.h"

namespace dt {

using platform::Align;
using platform::Ansi;
using platform::Frame;
using platform::Rgb;

namespace {

constexpr platform::Color kPanelColor = Rgb(240, 240, 240);

}  // namespace

TFrm_DealText::TFrm_DealText(HostLog log, platform::Clock& clock)
    : platform::Form(clock), StratTimer(*this, "StratTimer"), log_(log) {
  LayOut();
  StratTimer.OnTimer = [this] { StratTimerTimer(); };
  OnShow = [this] { FormShow(); };
  FormCreate();
}

TFrm_DealText::~TFrm_DealText() { FormDestroy(); }

void TFrm_DealText::LayOut() {
  caption = Ansi(u8"Brennick国库集中支付(TXT)预处理");
  client_width = 303;
  client_height = 91;
  centered_on_screen = true;
  dialog_frame = true;
  color = platform::clBtnFace;
  font = {"MS Sans Serif", 11, platform::clWindowText, platform::kDefaultCharset};

  StratTimer.SetEnabled(false);  // the default interval of 1000 ms stays

  RzPanel1.name = "RzPanel1";
  RzPanel1.bounds = {0, 64, 303, 27};
  RzPanel1.align = Align::kBottom;
  RzPanel1.frame = Frame::kFlat;
  RzPanel1.color = kPanelColor;

  Btn_OK.name = "Btn_OK";
  Btn_OK.parent = &RzPanel1;
  Btn_OK.bounds = {104, 0, 75, 25};
  Btn_OK.caption = Ansi(u8"确定");
  Btn_OK.is_default = true;
  Btn_OK.enabled = false;
  Btn_OK.hot_track = true;
  Btn_OK.image_count = 2;

  RzPanel_Client.name = "RzPanel_Client";
  RzPanel_Client.bounds = {0, 0, 303, 64};
  RzPanel_Client.align = Align::kClient;
  RzPanel_Client.frame = Frame::kGroove;

  RzLabel_ShowInfo.name = "RzLabel_ShowInfo";
  RzLabel_ShowInfo.parent = &RzPanel_Client;
  RzLabel_ShowInfo.bounds = {2, 2, 299, 36};
  RzLabel_ShowInfo.align = Align::kClient;
  RzLabel_ShowInfo.caption = Ansi(u8"数据源处理中请稍候...");
  RzLabel_ShowInfo.centered = true;
  RzLabel_ShowInfo.font = {Ansi(u8"宋体"), 12, platform::clGray, platform::kGb2312Charset};
  RzLabel_ShowInfo.color = kPanelColor;

  Progress_Step.name = "Progress_Step";
  Progress_Step.parent = &RzPanel_Client;
  Progress_Step.bounds = {2, 38, 299, 24};
  Progress_Step.align = Align::kBottom;
  Progress_Step.color = platform::clWhite;
  Progress_Step.bar_color = platform::clHighlight;
  Progress_Step.frame = Frame::kFlat;
  Progress_Step.frame_width = 0;
  Progress_Step.interior_offset = 0;
  Progress_Step.show_percent = true;
  Progress_Step.TotalParts = 100;
  Progress_Step.PartsComplete = 0;
  Progress_Step.Percent = 0;

  // Parents before their children, as the form draws them.
  AddControl(&RzPanel1);
  AddControl(&Btn_OK);
  AddControl(&RzPanel_Client);
  AddControl(&RzLabel_ShowInfo);
  AddControl(&Progress_Step);
}

void TFrm_DealText::FormCreate() { connection_ = std::make_unique<Connection>(); }

void TFrm_DealText::FormShow() { StratTimer.SetEnabled(true); }

void TFrm_DealText::FormDestroy() { connection_.reset(); }

void TFrm_DealText::StratTimerTimer() {
  StratTimer.SetEnabled(false);
  run_started_ = true;
  std::vector<std::string> source_list;
  try {
    result_path_ = RunSequence(
        source_directory_, base_directory_, source_list, *connection_, *this,
        [this] { ProcessMessages(); }, SourceEncoding::kAuto, templates_);
    SetModalResult(platform::mrOk);
  } catch (const std::exception& error) {
    // This system's errors and the runtime's (exhausted memory) alike.
    Log(RunFailureMessage(error));
    SetModalResult(platform::mrCancel);
  }
}

void TFrm_DealText::AdvanceProgress(int parts) { dt::AdvanceProgress(Progress_Step, parts); }

void TFrm_DealText::Log(const std::string& ansi_message) { log_.Write(ansi_message); }

}  // namespace dt
