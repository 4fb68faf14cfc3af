// Names and texts echoed to the console, made safe to show.
//
// A file name may hold any byte but NUL. Echoed raw, an escape sequence in it
// would retitle or clear the user's terminal. Every control character (C0 but
// tab, DEL, and C1) is shown as "?"; the C1 range is the bytes 0x80 to 0x9F in
// a text that is not valid UTF-8, and the code points U+0080 to U+009F in one
// that is. The files keep the bytes.
#pragma once

#include <string>
#include <string_view>

namespace korvex {

[[nodiscard]] std::string shown_on_console(std::string_view text);

}  // namespace korvex
