// The engine's side files of a database: those holding changes, and their
// removal before the database is replaced (through the platform's file
// layer, as the engine's other file calls).
#include "engine/standin/store/database_file.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <utility>

#include "engine/error.h"
#include "platform/codepage.h"
#include "platform/file_io.h"
#include "platform/files.h"

namespace dt::engine::standin {

namespace {

using Bytes = std::vector<unsigned char>;

// A side file that cannot be read: it may hold anything.
struct Unreadable {};

// Reads exactly `size` bytes into `bytes`; false at the end of the file.
bool ReadExactly(platform::InputFile& file, std::size_t size, Bytes& bytes) {
  bytes.resize(size);
  std::size_t done = 0;
  while (done < size) {
    std::size_t count = 0;
    if (!file.Read(reinterpret_cast<char*>(bytes.data()) + done, size - done, &count)) {
      throw Unreadable{};
    }
    if (count == 0) return false;
    done += count;
  }
  return true;
}

std::uint32_t BigEndian(const unsigned char* at) {
  return (std::uint32_t{at[0]} << 24) | (std::uint32_t{at[1]} << 16) | (std::uint32_t{at[2]} << 8) |
         at[3];
}

// A rollback journal holds changes only when it begins with its header's
// magic bytes: SQLite plays nothing back from any other (and zeroes the
// header of a journal it keeps in persist mode once its transaction is
// done). The file format's "rollback journal" section.
bool JournalHoldsChanges(platform::InputFile& file) {
  static constexpr unsigned char kMagic[] = {0xd9, 0xd5, 0x05, 0xf9, 0x20, 0xa1, 0x63, 0xd7};
  Bytes header;
  return ReadExactly(file, sizeof kMagic, header) &&
         std::equal(header.begin(), header.end(), std::begin(kMagic));
}

// The checksum a write-ahead log chains through its header and frames,
// over `bytes` (a multiple of 8) from `sum`, words read in the byte order
// the log's magic names.
void WalChecksum(bool big_endian, const unsigned char* bytes, std::size_t size,
                 std::uint32_t sum[2]) {
  for (std::size_t i = 0; i + 8 <= size; i += 8) {
    std::uint32_t word[2];
    for (int k = 0; k < 2; ++k) {
      const unsigned char* at = bytes + i + 4 * static_cast<std::size_t>(k);
      word[k] = big_endian ? BigEndian(at)
                           : (std::uint32_t{at[3]} << 24) | (std::uint32_t{at[2]} << 16) |
                                 (std::uint32_t{at[1]} << 8) | at[0];
    }
    sum[0] += word[0] + sum[1];
    sum[1] += word[1] + sum[0];
  }
}

// A write-ahead log holds changes only when SQLite would replay some of it:
// a valid header and, after it, a commit frame reached through frames whose
// salts and chained checksums hold (the file format's "WAL file format").
bool WalHoldsChanges(platform::InputFile& file) {
  constexpr std::size_t kHeader = 32;
  constexpr std::size_t kFrameHeader = 24;
  Bytes header;
  if (!ReadExactly(file, kHeader, header)) return false;
  const std::uint32_t magic = BigEndian(&header[0]);
  const std::uint32_t page_size = BigEndian(&header[8]);
  const bool sized = page_size >= 512 && page_size <= 65536 && (page_size & (page_size - 1)) == 0;
  if ((magic & 0xFFFFFFFE) != 0x377f0682 || BigEndian(&header[4]) != 3007000 || !sized) {
    return false;
  }
  const bool big_endian = (magic & 1) != 0;
  std::uint32_t sum[2] = {0, 0};
  WalChecksum(big_endian, header.data(), 24, sum);
  if (sum[0] != BigEndian(&header[24]) || sum[1] != BigEndian(&header[28])) return false;
  Bytes frame;
  while (ReadExactly(file, kFrameHeader + page_size, frame)) {
    if (!std::equal(&frame[8], &frame[16], &header[16])) return false;
    WalChecksum(big_endian, frame.data(), 8, sum);
    WalChecksum(big_endian, frame.data() + kFrameHeader, page_size, sum);
    if (sum[0] != BigEndian(&frame[16]) || sum[1] != BigEndian(&frame[20])) return false;
    if (BigEndian(&frame[4]) != 0) return true;  // the database's size after a commit
  }
  return false;
}

}  // namespace

std::vector<std::string> PendingSideFiles(const std::string& path) {
  std::vector<std::string> pending;
  for (const auto& [suffix, holds_changes] :
       {std::pair{"-wal", &WalHoldsChanges}, std::pair{"-journal", &JournalHoldsChanges}}) {
    const std::string side = path + suffix;
    platform::InputFile file;
    try {
      if (!file.Open(platform::Utf8ToAnsi(side))) {
        if (file.error() == platform::kFileNotFound || file.error() == platform::kPathNotFound) {
          continue;
        }
        throw Unreadable{};
      }
      if (holds_changes(file)) pending.push_back(side);
    } catch (const Unreadable&) {
      pending.push_back(side);
    }
  }
  return pending;
}

void DiscardSideFiles(const std::string& path) {
  for (const char* suffix : {"-journal", "-wal", "-shm"}) {
    const std::string side = path + suffix;
    int error = 0;
    if (!platform::RemoveFile(platform::Utf8ToAnsi(side), &error)) {
      throw Error(ErrorKind::kIo, "Cannot remove '" + side + "': " +
                                      platform::AnsiToUtf8(platform::SystemErrorText(error)));
    }
  }
}

}  // namespace dt::engine::standin
