// Writing a staged file on a thread of its own. Most of a large file's
// staging is the system taking the bytes written into its cache; meanwhile
// the staging thread can read and rewrite the next block.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "platform/file_io.h"

namespace dt {

class BackgroundWriter {
 public:
  // Writes to `file`, which outlives this and is not written meanwhile by
  // anyone else.
  explicit BackgroundWriter(platform::OutputFile& file);
  BackgroundWriter(const BackgroundWriter&) = delete;
  BackgroundWriter& operator=(const BackgroundWriter&) = delete;
  // Stops the thread; what is still queued is not written.
  ~BackgroundWriter();

  // Queues a copy of `bytes`, waiting while a few blocks are queued already.
  // False when a write failed: the file's error() tells why.
  bool Write(std::string_view bytes);
  // Waits until all that was queued is written; false as Write.
  bool Finish();

 private:
  void Run();

  platform::OutputFile& file_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::string> queued_;
  bool writing_ = false;  // the thread holds a block it took from queued_
  bool failed_ = false;
  bool stopping_ = false;
  std::thread thread_;  // last: starts when everything else is ready
};

}  // namespace dt
