// The reading thread and the hand-over of its batches.
#include "engine/standin/text/read_ahead.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <system_error>
#include <utility>

#include "engine/error.h"

namespace dt::engine::standin {
namespace {

// Whether `size` bytes at `a` and `b` are the same. Most fields are a few
// bytes long: compared here a word at a time rather than by a call.
bool SameBytes(const char* a, const char* b, std::size_t size) {
  while (size >= 8) {
    std::uint64_t x = 0;
    std::uint64_t y = 0;
    std::memcpy(&x, a, 8);
    std::memcpy(&y, b, 8);
    if (x != y) return false;
    a += 8;
    b += 8;
    size -= 8;
  }
  for (std::size_t i = 0; i < size; ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

// A batch is handed over once it holds this much: small enough that the
// other side starts at once, large enough that the hand-over costs nothing.
constexpr std::size_t kBatchBytes = std::size_t{256} << 10;
constexpr std::size_t kBatchRecords = 2048;

}  // namespace

ReadAhead::ReadAhead(RecordSource& source) : source_(source), columns_(source.Columns()) {
  try {
    thread_ = std::jthread([this](std::stop_token stop) { Read(stop); });
  } catch (const std::system_error& error) {
    // The system has no thread, or no memory for one, to give: a failure of
    // the system, not of the file.
    throw Error(ErrorKind::kResources,
                std::string("Cannot start a thread to read the file: ") + error.what());
  }
}

ReadAhead::~ReadAhead() = default;

const std::vector<std::string>& ReadAhead::Columns() const { return columns_; }

std::size_t ReadAhead::Line() const { return line_; }

std::int64_t ReadAhead::Offset() const { return offset_; }

void ReadAhead::Read(std::stop_token stop) {
  std::vector<std::optional<std::string_view>> fields;
  try {
    while (!stop.stop_requested()) {
      Batch batch = TakeSpareBatch();
      Filled filled = Filled::kEnd;
      std::exception_ptr failure;
      try {
        filled = Fill(batch, fields);
      } catch (...) {
        // The records read before the failure are handed out first.
        failure = std::current_exception();
      }
      std::unique_lock lock(mutex_);
      if (batch.Records() > 0) {
        bytes_ahead_ += batch.Weight();
        ready_.push_back(std::move(batch));
      }
      if (filled == Filled::kLarge) {
        // The fields stay valid until the source reads on, which waits
        // until the caller has moved past them.
        Batch lent;
        lent.lent = fields;
        lent.lines.push_back(source_.Line());
        lent.offsets.push_back(source_.Offset());
        ready_.push_back(std::move(lent));
        lending_ = true;
      }
      if (filled == Filled::kEnd) {
        failure_ = failure;
        finished_ = true;
      }
      changed_.notify_all();
      if (filled == Filled::kEnd) return;
      changed_.wait(lock, stop, [&] { return !lending_ && bytes_ahead_ < kBytesAhead; });
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

ReadAhead::Filled ReadAhead::Fill(Batch& batch,
                                  std::vector<std::optional<std::string_view>>& fields) {
  batch.bytes.clear();
  batch.fields.clear();
  batch.lines.clear();
  batch.offsets.clear();
  while (batch.bytes.size() < kBatchBytes && batch.Records() < kBatchRecords) {
    if (!source_.Next(fields)) return Filled::kEnd;
    std::size_t size = 0;
    for (const std::optional<std::string_view>& field : fields) size += field ? field->size() : 0;
    if (size >= kLendBytes) return Filled::kLarge;
    // Most fields of an export repeat from one record to the next (its set,
    // year, flags, the NULLs of unused columns): told here, on this thread,
    // and their bytes not copied again.
    const bool after_another = batch.Records() > 0;
    const std::size_t before = batch.fields.size() - (after_another ? fields.size() : 0);
    batch.lines.push_back(source_.Line());
    batch.offsets.push_back(source_.Offset());
    for (std::size_t i = 0; i < fields.size(); ++i) {
      const std::optional<std::string_view>& field = fields[i];
      if (after_another) {
        const Field last = batch.fields[before + i];
        const bool same =
            field ? !last.null && last.size == field->size() &&
                        SameBytes(batch.bytes.data() + last.offset, field->data(), last.size)
                  : last.null;
        if (same) {
          batch.fields.push_back(Field{last.offset, last.size, last.null, true});
          continue;
        }
      }
      if (field) {
        batch.fields.push_back(Field{batch.bytes.size(), field->size(), false, false});
        batch.bytes.append(*field);
      } else {
        batch.fields.push_back(Field{0, 0, true, false});
      }
    }
  }
  return Filled::kFull;
}

void ReadAhead::GiveBack(Batch batch) {
  if (!batch.lent.empty()) {
    lending_ = false;  // the source may read on
    return;
  }
  spare_.push_back(std::move(batch));  // at most kBatchBytes and a record short of kLendBytes
}

bool ReadAhead::Next(std::vector<std::optional<std::string_view>>& fields) {
  if (next_record_ == current_.Records()) {
    std::unique_lock lock(mutex_);
    GiveBack(std::exchange(current_, Batch()));
    changed_.notify_all();  // a lent record given back lets the source read on
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
  if (!current_.lent.empty()) {
    fields = current_.lent;
    repeats_.assign(fields.size(), 0);
  } else {
    fields.resize(columns_.size());
    repeats_.resize(columns_.size());
    const Field* field = current_.fields.data() + next_record_ * columns_.size();
    for (std::size_t i = 0; i < columns_.size(); ++i, ++field) {
      repeats_[i] = field->repeats ? 1 : 0;
      fields[i] = field->null
                      ? std::nullopt
                      : std::optional<std::string_view>(
                            std::string_view(current_.bytes).substr(field->offset, field->size));
    }
  }
  line_ = current_.lines[next_record_];
  offset_ = current_.offsets[next_record_];
  ++next_record_;
  return true;
}

}  // namespace dt::engine::standin
