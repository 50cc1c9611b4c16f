// Text as the engines compare it, ignoring ASCII letter case and trailing
// spaces, as Jet compares text: the key both engines' joins, the stand-in's
// comparisons and the build's checks of its joins use.
#pragma once

#include <string>
#include <string_view>

namespace dt::engine {

// The text without its trailing spaces, ASCII capitals made small. Two
// texts compare as their keys do byte by byte, which is how SQLite's NOCASE
// collation compares the texts without their trailing spaces, but by plain
// byte comparison, the cheapest SQLite has.
std::string TextKey(std::string_view text);

// TextKey(text), made in `buffer` only when it is not `text` itself (most
// codes have no trailing space and no ASCII capital): valid while both are.
std::string_view TextKeyOf(std::string_view text, std::string& buffer);

}  // namespace dt::engine
