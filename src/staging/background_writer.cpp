// The staged file's writing thread.
#include "src/staging/background_writer.h"

#include <utility>

namespace dt {
namespace {

// Blocks queued at most: enough to keep the thread busy, in bounded memory.
constexpr std::size_t kQueued = 4;

}  // namespace

BackgroundWriter::BackgroundWriter(platform::OutputFile& file)
    : file_(file), thread_([this] { Run(); }) {}

BackgroundWriter::~BackgroundWriter() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

bool BackgroundWriter::Write(std::string_view bytes) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return failed_ || queued_.size() < kQueued; });
  if (failed_) return false;
  queued_.emplace_back(bytes);
  lock.unlock();
  changed_.notify_all();
  return true;
}

bool BackgroundWriter::Finish() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return failed_ || (queued_.empty() && !writing_); });
  return !failed_;
}

void BackgroundWriter::Run() {
  std::unique_lock lock(mutex_);
  while (true) {
    changed_.wait(lock, [&] { return stopping_ || !queued_.empty(); });
    if (stopping_ || failed_) return;
    std::string block = std::move(queued_.front());
    queued_.pop_front();
    writing_ = true;
    lock.unlock();
    changed_.notify_all();  // room in the queue
    const bool written = file_.Write(block);
    lock.lock();
    writing_ = false;
    failed_ = !written;
    changed_.notify_all();
  }
}

}  // namespace dt
