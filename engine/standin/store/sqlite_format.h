// SQLite's database file format, as far as the page patcher reads it
// (sqlite.org/fileformat2.html), every offset and size named once, as
// SQLite's own b-tree header names them. Multi-byte integers are big-endian.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dt::engine::standin::sqlite_format {

// The database header: the first 100 bytes of page 1, before its b-tree
// page header.
inline constexpr std::size_t kFileHeaderSize = 100;
// Its byte 20: bytes reserved at the end of every page (for extensions),
// which no b-tree content uses.
inline constexpr std::size_t kReservedBytesAt = 20;

// The smallest page SQLite writes, and the least of it a b-tree may use.
inline constexpr std::size_t kMinPageSize = 512;
inline constexpr std::size_t kMinUsableSize = 480;

// The b-tree page header, at the start of a page (after the database header
// on page 1).
inline constexpr std::size_t kPageTypeAt = 0;  // one byte: the page's kind
inline constexpr std::uint8_t kInteriorTablePage = 0x05;
inline constexpr std::uint8_t kLeafTablePage = 0x0D;
inline constexpr std::size_t kCellCountAt = 3;  // two bytes: cells on the page
inline constexpr std::size_t kCellCountSize = 2;
inline constexpr std::size_t kRightChildAt = 8;  // four bytes, interior pages only
// The cell pointer array follows the header: 8 bytes on a leaf, 12 on an
// interior page (the right child's four).
inline constexpr std::size_t kLeafHeaderSize = 8;
inline constexpr std::size_t kInteriorHeaderSize = 12;
inline constexpr std::size_t kCellPointerSize = 2;  // a cell's offset in its page

// An interior table cell: the left child's page number, then the row id
// (a varint) that bounds it.
inline constexpr std::size_t kChildPointerSize = 4;

// A table leaf's payload lies on its page up to usable size - 35 bytes; a
// longer one keeps between the least local share ((usable - 12) * 32 / 255
// - 23) and that much on the page and the rest on overflow pages, each of
// which gives 4 bytes to the next page's number.
inline constexpr std::size_t kMaxLocalReserve = 35;
inline constexpr std::size_t kMinLocalReserve = 12;
inline constexpr std::size_t kMinLocalNumerator = 32;
inline constexpr std::size_t kMinLocalDenominator = 255;
inline constexpr std::size_t kMinLocalLess = 23;
inline constexpr std::size_t kOverflowPointerSize = 4;

// A varint is at most 9 bytes: 8 of 7 bits, then one of 8.
inline constexpr int kVarintSevenBitBytes = 8;

// Record serial types: 0 NULL; 1-9 numbers and constants of the sizes
// kNumberSizes gives; 10 and 11 reserved; from 12 on, even N a blob and odd
// N a text, of (N - 12) / 2 bytes.
inline constexpr std::uint64_t kFirstBlobOrText = 12;
inline constexpr std::uint64_t kEmptyText = 13;  // '' (NULL is 0)
inline constexpr std::uint8_t kNumberSizes[] = {0, 1, 2, 3, 4, 6, 8, 8, 0, 0};

}  // namespace dt::engine::standin::sqlite_format
