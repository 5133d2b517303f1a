#include "export/sjis.h"

#include <iconv.h>

namespace tarn {

bool toShiftJis(std::string_view utf8, std::string& out) {
    out.clear();
    // No "//TRANSLIT" or "//IGNORE": a character without a form must fail.
    iconv_t cd = ::iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    // A UTF-8 sequence of k bytes never becomes more than k bytes of CP932.
    std::string result(utf8.size() + 8, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* o = result.data();
    std::size_t outLeft = result.size();
    bool ok = ::iconv(cd, &in, &inLeft, &o, &outLeft) != static_cast<std::size_t>(-1) &&
              inLeft == 0 &&
              ::iconv(cd, nullptr, nullptr, &o, &outLeft) != static_cast<std::size_t>(-1);
    ::iconv_close(cd);
    if (!ok)
        return false;
    result.resize(result.size() - outLeft);
    out = std::move(result);
    return true;
}

} // namespace tarn
