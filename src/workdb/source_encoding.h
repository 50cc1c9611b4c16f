// How the engine's text driver reads the staged files: each file as its
// bytes tell (code page 936 unless it is plainly UTF-8), or every file in
// the one encoding a user who knows better names.
#pragma once

namespace dt {

enum class SourceEncoding { kAuto, kCodePage936, kUtf8 };

}  // namespace dt
