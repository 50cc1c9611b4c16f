// How the exported files are encoded: each file as its bytes tell (code page
// 936 unless it is plainly UTF-8, platform/encoding_detection.h), or every
// file in the one encoding a user who knows better names. Staging decides
// each staged file's character set by it and tells the text driver.
#pragma once

namespace dt {

enum class SourceEncoding { kAuto, kCodePage936, kUtf8 };

}  // namespace dt
