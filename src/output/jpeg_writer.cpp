#include "output/jpeg_writer.h"

#include "base/file_write.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
// jpeglib.h needs size_t and FILE declared before it.
#include <jerror.h>
#include <jpeglib.h>

namespace tarn {

namespace {

constexpr std::int16_t kJpegWritten = 0;
constexpr std::int16_t kJpegBadArguments = 1;
constexpr std::int16_t kJpegEncoderFailed = 2;
constexpr std::int16_t kJpegWriteFailed = 3;

// libjpeg's default error handler ends the process; this one jumps back to
// the caller of encode instead.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf back;
};

[[noreturn]] void jumpBack(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->back, 1);
}

void stayQuiet(j_common_ptr) {}

// A growing malloc'd buffer. libjpeg's own memory destination is not used: when
// an error strikes after it has grown its buffer, the pointer it handed out is
// stale and the grown buffer cannot be reached to free it.
struct MemoryDestination {
    jpeg_destination_mgr base;
    unsigned char* data;
    std::size_t capacity;
    std::size_t size;
};

MemoryDestination* destinationOf(j_compress_ptr info) {
    return reinterpret_cast<MemoryDestination*>(info->dest);
}

void startDestination(j_compress_ptr info) {
    MemoryDestination* d = destinationOf(info);
    d->capacity = 64 * 1024;
    d->data = static_cast<unsigned char*>(std::malloc(d->capacity));
    if (d->data == nullptr)
        ERREXIT(info, JERR_OUT_OF_MEMORY);
    d->base.next_output_byte = d->data;
    d->base.free_in_buffer = d->capacity;
}

// Called with the buffer full.
boolean growDestination(j_compress_ptr info) {
    MemoryDestination* d = destinationOf(info);
    const std::size_t used = d->capacity;
    auto* bigger = static_cast<unsigned char*>(std::realloc(d->data, 2 * d->capacity));
    if (bigger == nullptr)
        ERREXIT(info, JERR_OUT_OF_MEMORY);
    d->data = bigger;
    d->capacity *= 2;
    d->base.next_output_byte = d->data + used;
    d->base.free_in_buffer = d->capacity - used;
    return TRUE;
}

void finishDestination(j_compress_ptr info) {
    MemoryDestination* d = destinationOf(info);
    d->size = d->capacity - d->base.free_in_buffer;
}

// Only C objects live between setjmp and a possible longjmp, so no destructor
// is skipped. On success the destination holds the file (free it with free).
bool encode(const Picture& raster, int width, int height, int quality, bool progressive,
            MemoryDestination& out) {
    jpeg_compress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = jumpBack;
    errors.base.output_message = stayQuiet;
    out = {};
    out.base.init_destination = startDestination;
    out.base.empty_output_buffer = growDestination;
    out.base.term_destination = finishDestination;
    if (setjmp(errors.back) != 0) {
        jpeg_destroy_compress(&info);
        std::free(out.data);
        out.data = nullptr;
        return false;
    }
    jpeg_create_compress(&info);
    info.dest = &out.base;
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    if (progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        // The raster's rows are packed R, G, B, so its top-left width pixels of
        // each row are already what the encoder reads; it never writes to them.
        JSAMPROW row = const_cast<JSAMPROW>(raster.row(static_cast<int>(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

} // namespace

bool encodeJpeg(const Picture& raster, std::uint8_t quality, bool progressive, Bytes& out) {
    MemoryDestination file{};
    if (raster.width() <= 0 || raster.height() <= 0 || quality < 1 || quality > 100 ||
        !encode(raster, raster.width(), raster.height(), quality, progressive, file))
        return false;
    out.assign(file.data, file.data + file.size);
    std::free(file.data);
    return true;
}

std::int16_t DCSavetoJPEG(const Picture& raster, std::int32_t width, std::int32_t height,
                          const std::string& path, std::uint8_t quality, bool progressive,
                          Durability durability, Status* status) {
    if (width <= 0 || height <= 0 || width > raster.width() || height > raster.height() ||
        quality < 1 || quality > 100 || path.empty())
        return kJpegBadArguments;
    MemoryDestination file{};
    if (!encode(raster, width, height, quality, progressive, file))
        return kJpegEncoderFailed;
    const Status written =
        writeFileAtomically(path, std::span<const std::uint8_t>(file.data, file.size), durability);
    std::free(file.data);
    if (status != nullptr)
        *status = written;
    return written.ok() ? kJpegWritten : kJpegWriteFailed;
}

} // namespace tarn
