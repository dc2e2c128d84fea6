// What the window must do, written out for the tests instead of read from the program's own table
// (ui/form1_description.h), so that a wrong value there fails them.
#pragma once

namespace pinned_window {

// Typing and pasting stop at this many characters.
inline constexpr int MaxTypedLength = 9;

} // namespace pinned_window
