#pragma once

#include "base/file_write.h"
#include "scene/picture.h"

#include <cstdint>
#include <string>

namespace tarn {

// Encodes the top-left width x height of the raster as a JPEG at path (quality
// 1-100 as libjpeg's; progressive gives an SOF2 frame, otherwise SOF0).
// Returns 0 on success; anything else is a failure and leaves no file behind
// (an earlier file at path stays as it was); a failed write also fills
// `status`. A scratch file (the preview) is not flushed to the disk.
std::int16_t DCSavetoJPEG(const Picture& raster, std::int32_t width, std::int32_t height,
                          const std::string& path, std::uint8_t quality, bool progressive,
                          Durability durability = Durability::Durable, Status* status = nullptr);

// The same JPEG of the whole raster, in memory; false when it cannot be made.
bool encodeJpeg(const Picture& raster, std::uint8_t quality, bool progressive, Bytes& out);

} // namespace tarn
