#pragma once

#include <string>
#include <utility>

namespace tarn {

// What went wrong in a reader or a writer. The core only names it; the front
// end puts it into words.
enum class StatusCode {
    Ok,
    System, // the platform refused: `error` holds its errno
    // A write refused before anything was made: the target is a device, a pipe
    // or a socket (or a link to one). `error` holds ENODEV.
    NotRegularFile,
    // A file that is not the uncompressed 24-bit BMP the reader takes:
    BmpTruncated,         // shorter than its headers or its pixel rows
    NotBmp,               // no "BM" signature
    BmpBadFileHeader,     // file size, reserved fields or pixel offset inconsistent
    BmpUnsupportedHeader, // information header other than the 40-byte one
    BmpUnsupportedFormat, // not 1 plane, 24 bits, uncompressed, without palette
    BmpBadSize, // width or height zero, negative width, beyond kMaxPartSide or kMaxPartPixels
};

struct Status {
    StatusCode code = StatusCode::Ok;
    std::string file; // the file concerned; empty when there is none
    int error = 0;    // the platform's errno for System, else 0
    bool ok() const { return code == StatusCode::Ok; }
};

inline Status systemError(int error, std::string file = {}) {
    return {StatusCode::System, std::move(file), error};
}

} // namespace tarn
