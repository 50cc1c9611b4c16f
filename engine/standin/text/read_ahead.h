// Records of a text file read ahead on a thread of their own: scanning and
// decoding the file goes on beside whatever the caller does with each record
// (the import stores them), so the two share the machine's cores.
//
// The source's records are copied into batches and handed over through a
// short queue; the reading thread waits while about kBytesAhead of records
// are waiting, so memory stays bounded whatever the file's size. A record of
// kLendBytes or more is not copied: it is lent as the source holds it, and
// the reading thread waits until the caller has moved past it, so a huge
// record costs no more memory than without the read-ahead. An error of the source is raised
// by Next in the caller's thread once the records read before it have been
// handed out. The source belongs to the reading thread from construction to
// destruction; the caller must not touch it meanwhile.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "engine/standin/text/record_source.h"

namespace dt::engine::standin {

class ReadAhead : public RecordSource {
 public:
  static constexpr std::size_t kBytesAhead = std::size_t{4} << 20;
  static constexpr std::size_t kLendBytes = std::size_t{1} << 20;

  // Starts reading `source`'s records. Raises engine::Error of kind
  // kResources when the reading thread cannot be started.
  explicit ReadAhead(RecordSource& source);
  // Stops the reading thread, wherever it is, and waits for it.
  ~ReadAhead() override;
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  const std::vector<std::string>& Columns() const override;
  // The source's records in its order; once they are handed out, the
  // source's error, if it stopped on one. The fields of a record stay valid
  // while the records handed out after it come from the same batch: until
  // a record for which no field Repeats.
  bool Next(std::vector<std::optional<std::string_view>>& fields) override;
  // True when field `column` of the record Next gave last is that of the
  // record before it, byte for byte or NULL again, and both are of one
  // batch; false for every field of the first record of a batch. A caller
  // that keeps the fields it last saw of each column may keep a repeated
  // one and need not compare it: the reading thread has.
  bool Repeats(std::size_t column) const { return repeats_[column] != 0; }
  // Where the last record handed out starts, as the source told it.
  std::size_t Line() const override;
  std::int64_t Offset() const override;

 private:
  struct Field {
    std::size_t offset;
    std::size_t size;
    bool null;
    bool repeats;  // as the record before's in the batch: its bytes are shared
  };
  // Records copied out of the source, a field for each column; or one
  // record lent as the source holds it (`lent`).
  struct Batch {
    std::string bytes;
    std::vector<Field> fields;
    std::vector<std::size_t> lines;
    std::vector<std::int64_t> offsets;
    std::vector<std::optional<std::string_view>> lent;
    std::size_t Records() const { return lines.size(); }
    std::size_t Weight() const { return bytes.size() + fields.size() * sizeof(Field); }
  };
  // How filling a batch ended.
  enum class Filled { kFull, kEnd, kLarge };

  void Read(std::stop_token stop);
  Batch TakeSpareBatch();
  Filled Fill(Batch& batch, std::vector<std::optional<std::string_view>>& fields);
  void GiveBack(Batch batch);

  RecordSource& source_;
  const std::vector<std::string> columns_;  // the source's, read before the thread starts

  std::mutex mutex_;
  std::condition_variable_any changed_;
  std::deque<Batch> ready_;      // read, waiting to be handed out
  std::vector<Batch> spare_;     // handed out, emptied, for reuse
  std::size_t bytes_ahead_ = 0;  // weight of ready_
  bool lending_ = false;         // a lent record is queued or in the caller's hands
  bool finished_ = false;        // the reading thread has pushed its last batch
  std::exception_ptr failure_;

  // The caller's side.
  Batch current_;
  std::size_t next_record_ = 0;
  std::vector<char> repeats_;  // of the record handed out last: Repeats, a column each
  std::size_t line_ = 0;
  std::int64_t offset_ = 0;

  std::jthread thread_;  // last: stopped and joined before the members above go
};

}  // namespace dt::engine::standin
