#pragma once

#include <string>
#include <string_view>

namespace tarn {

// UTF-8 text in Shift-JIS (Windows code page 932), the encoding CardWirth reads.
// False when a character has no form there or the input is not valid UTF-8;
// nothing is ever replaced by a look-alike, so a name is written as it is or not
// at all.
bool toShiftJis(std::string_view utf8, std::string& out);

enum class NameFault {
    None,
    NotUtf8,    // the name's bytes are no UTF-8 text
    NoCodePage, // the character does not come back as itself through code page 932
    NotInName,  // \ / : * ? " < > | or a control character
};

// Whether the engine reads the name back as written and may use it as a file
// name. On a fault, `character` is the first offending character (UTF-8), or the
// first undecodable byte.
NameFault checkName(std::string_view utf8, std::string& character);

} // namespace tarn
