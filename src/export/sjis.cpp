#include "export/sjis.h"

#include <array>
#include <cstdint>
#include <iconv.h>

namespace tarn {

namespace {

// Runs iconv over the whole input; false on any character without a form.
bool convert(const char* to, const char* from, std::string_view in, std::string& out) {
    out.clear();
    // No "//TRANSLIT" or "//IGNORE": a character without a form must fail.
    iconv_t cd = ::iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    // Either way a character grows at most from one byte to three.
    std::string result(in.size() * 3 + 8, '\0');
    char* src = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    char* o = result.data();
    std::size_t outLeft = result.size();
    const bool ok = ::iconv(cd, &src, &inLeft, &o, &outLeft) != static_cast<std::size_t>(-1) &&
                    inLeft == 0 &&
                    ::iconv(cd, nullptr, nullptr, &o, &outLeft) != static_cast<std::size_t>(-1);
    ::iconv_close(cd);
    if (!ok)
        return false;
    result.resize(result.size() - outLeft);
    out = std::move(result);
    return true;
}

// Length of the UTF-8 sequence starting with b; 0 for a byte that starts none.
std::size_t sequenceLength(unsigned char b) {
    if (b < 0x80)
        return 1;
    if (b >= 0xC2 && b <= 0xDF)
        return 2;
    if (b >= 0xE0 && b <= 0xEF)
        return 3;
    if (b >= 0xF0 && b <= 0xF4)
        return 4;
    return 0;
}

// glibc encodes these through code page 932, but Microsoft's table, which the
// engine decodes file names with, reads the bytes back as other characters
// (～ － ∥ ― ￠ ￡ ￢ \ ~). glibc's own decoder happens to agree today; they are
// refused by name so that a change in glibc cannot let them through.
constexpr std::array<std::string_view, 9> kMicrosoftMismatches{
    "\u301C", "\u2212", "\u2016", "\u2014", "\u00A2", "\u00A3", "\u00AC", "\u00A5", "\u203E"};

bool forbiddenInName(std::string_view ch) {
    if (ch.size() != 1)
        return ch.size() == 2 && static_cast<unsigned char>(ch[0]) == 0xC2 &&
               static_cast<unsigned char>(ch[1]) < 0xA0; // C1 controls
    const unsigned char c = static_cast<unsigned char>(ch[0]);
    return c < 0x20 || c == 0x7F ||
           std::string_view("\\/:*?\"<>|").find(ch[0]) != std::string_view::npos;
}

} // namespace

bool toShiftJis(std::string_view utf8, std::string& out) {
    return convert("CP932", "UTF-8", utf8, out);
}

NameFault checkName(std::string_view utf8, std::string& character) {
    character.clear();
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t n = sequenceLength(static_cast<unsigned char>(utf8[i]));
        std::string encoded;
        std::string back;
        if (n == 0 || i + n > utf8.size() || !toShiftJis(utf8.substr(i, n), encoded)) {
            // Invalid UTF-8 shows as the one byte where it starts.
            const bool valid = n != 0 && i + n <= utf8.size() &&
                               convert("UTF-32LE", "UTF-8", utf8.substr(i, n), back);
            character = std::string(utf8.substr(i, valid ? n : 1));
            return valid ? NameFault::NoCodePage : NameFault::NotUtf8;
        }
        const std::string_view ch = utf8.substr(i, n);
        if (forbiddenInName(ch)) {
            character = std::string(ch);
            return NameFault::NotInName;
        }
        bool same = convert("UTF-8", "CP932", encoded, back) && back == ch;
        for (std::string_view mismatch : kMicrosoftMismatches)
            same = same && ch != mismatch;
        if (!same) {
            character = std::string(ch);
            return NameFault::NoCodePage;
        }
        i += n;
    }
    return NameFault::None;
}

} // namespace tarn
