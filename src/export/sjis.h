#pragma once

#include <string>
#include <string_view>

namespace tarn {

// UTF-8 text in Shift-JIS (Windows code page 932), the encoding CardWirth reads.
// False when a character has no form there or the input is not valid UTF-8;
// nothing is ever replaced by a look-alike, so a name is written as it is or not
// at all.
bool toShiftJis(std::string_view utf8, std::string& out);

} // namespace tarn
