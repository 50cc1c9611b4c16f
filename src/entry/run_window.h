// The run window: the small modal dialog shown for the length of one run.
// One second after it is shown its start timer fires once and the handler
// does the whole run: discovery, the build, and the outcome as the window's
// modal result (mrOk with a result path, or mrCancel after the run failure
// message went to the host log). It owns the run's connection; the handler
// holds the source list while it runs. The user has nothing to press.
#pragma once

#include <memory>
#include <string>

#include "platform/ui.h"
#include "src/entry/host_log.h"
#include "src/workdb/build.h"
#include "src/workdb/build_events.h"

namespace dt {

class Connection;

class TFrm_DealText : public platform::Form, public BuildEvents {
 public:
  // Creates the window and, through FormCreate, its closed connection.
  // `log` receives the run failure message and the build's messages.
  explicit TFrm_DealText(HostLog log, platform::Clock& clock = platform::SystemClock());
  // Releases the connection (FormDestroy), closing it when open.
  ~TFrm_DealText() override;

  // Components, in declaration order.
  platform::Timer StratTimer;
  platform::Panel RzPanel1;
  platform::Button Btn_OK;
  platform::Panel RzPanel_Client;
  platform::Label RzLabel_ShowInfo;
  platform::ProgressBar Progress_Step;

  // Set by the caller before ShowModal. The base directory ends with
  // PathDelim; the source directory has none.
  void SetSourceDirectory(std::string directory) { source_directory_ = std::move(directory); }
  void SetBaseDirectory(std::string directory) { base_directory_ = std::move(directory); }
  void SetStagingDirectory(std::string directory) { staging_directory_ = std::move(directory); }
  // The templates the run takes; any that this form opens unless set.
  void SetTemplateRule(TemplateRule templates) { templates_ = templates; }
  const std::string& StagingDirectory() const { return staging_directory_; }
  // Empty until the run completes; then the work database's path.
  const std::string& ResultPath() const { return result_path_; }
  // True once the start timer's handler has begun: the run has started.
  bool RunStarted() const { return run_started_; }

  // Event handlers.
  void FormCreate();
  void FormShow();
  void FormDestroy();
  void StratTimerTimer();

  // What the build tells the window.
  void AdvanceProgress(int parts) override;
  void Log(const std::string& ansi_message) override;

 private:
  void LayOut();

  HostLog log_;
  std::unique_ptr<Connection> connection_;
  std::string source_directory_;
  std::string base_directory_;
  std::string result_path_;
  std::string staging_directory_;
  TemplateRule templates_ = TemplateRule::kAnyEngine;
  bool run_started_ = false;
};

}  // namespace dt
