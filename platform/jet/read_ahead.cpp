// The reading thread and the hand-over of its batches.
#include "platform/jet/read_ahead.h"

#include <utility>

namespace dt::jet {
namespace {

// A batch is handed over once it holds this much: small enough that the
// other side starts at once, large enough that the hand-over costs nothing.
constexpr std::size_t kBatchBytes = std::size_t{256} << 10;
constexpr std::size_t kBatchRecords = 2048;
// A batch grown past this by a huge record is let go after use, not kept.
constexpr std::size_t kRetainedBytes = std::size_t{4} << 20;

}  // namespace

ReadAhead::ReadAhead(RecordSource& source)
    : source_(source),
      columns_(source.Columns()),
      thread_([this](std::stop_token stop) { Read(stop); }) {}

ReadAhead::~ReadAhead() = default;

const std::vector<std::string>& ReadAhead::Columns() const { return columns_; }

std::size_t ReadAhead::Line() const { return line_; }

std::int64_t ReadAhead::Offset() const { return offset_; }

void ReadAhead::Read(std::stop_token stop) {
  std::vector<std::optional<std::string_view>> fields;
  try {
    while (!stop.stop_requested()) {
      Batch batch = TakeSpareBatch();
      bool more = true;
      std::exception_ptr failure;
      try {
        more = Fill(batch, fields);
      } catch (...) {
        // The records read before the failure are handed out first.
        failure = std::current_exception();
        more = false;
      }
      std::unique_lock lock(mutex_);
      if (batch.Records() > 0) {
        bytes_ahead_ += batch.Weight();
        ready_.push_back(std::move(batch));
      }
      if (!more) {
        failure_ = failure;
        finished_ = true;
      }
      changed_.notify_all();
      if (!more) return;
      changed_.wait(lock, stop, [&] { return bytes_ahead_ < kBytesAhead; });
    }
  } catch (...) {
    // Not the source's: memory for a batch ran out.
    const std::lock_guard lock(mutex_);
    failure_ = std::current_exception();
    finished_ = true;
    changed_.notify_all();
  }
}

ReadAhead::Batch ReadAhead::TakeSpareBatch() {
  const std::lock_guard lock(mutex_);
  if (spare_.empty()) return Batch();
  Batch batch = std::move(spare_.back());
  spare_.pop_back();
  return batch;
}

bool ReadAhead::Fill(Batch& batch, std::vector<std::optional<std::string_view>>& fields) {
  batch.bytes.clear();
  batch.fields.clear();
  batch.lines.clear();
  batch.offsets.clear();
  while (batch.bytes.size() < kBatchBytes && batch.Records() < kBatchRecords) {
    if (!source_.Next(fields)) return false;
    batch.lines.push_back(source_.Line());
    batch.offsets.push_back(source_.Offset());
    for (const std::optional<std::string_view>& field : fields) {
      if (field) {
        batch.fields.push_back(Field{batch.bytes.size(), field->size(), false});
        batch.bytes.append(*field);
      } else {
        batch.fields.push_back(Field{0, 0, true});
      }
    }
  }
  return true;
}

void ReadAhead::GiveBack(Batch batch) {
  if (batch.bytes.capacity() > kRetainedBytes) return;
  spare_.push_back(std::move(batch));
}

bool ReadAhead::Next(std::vector<std::optional<std::string_view>>& fields) {
  if (next_record_ == current_.Records()) {
    std::unique_lock lock(mutex_);
    GiveBack(std::exchange(current_, Batch()));
    next_record_ = 0;
    changed_.wait(lock, [&] { return !ready_.empty() || finished_; });
    if (ready_.empty()) {
      if (failure_) std::rethrow_exception(failure_);
      return false;
    }
    current_ = std::move(ready_.front());
    ready_.pop_front();
    bytes_ahead_ -= current_.Weight();
    changed_.notify_all();
  }
  fields.resize(columns_.size());
  const Field* field = current_.fields.data() + next_record_ * columns_.size();
  for (std::size_t i = 0; i < columns_.size(); ++i, ++field) {
    fields[i] = field->null
                    ? std::nullopt
                    : std::optional<std::string_view>(
                          std::string_view(current_.bytes).substr(field->offset, field->size));
  }
  line_ = current_.lines[next_record_];
  offset_ = current_.offsets[next_record_];
  ++next_record_;
  return true;
}

}  // namespace dt::jet
