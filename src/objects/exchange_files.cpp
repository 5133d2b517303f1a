#include "objects/exchange_files.h"

#include "base/file_write.h"
#include "base/paths.h"
#include "scene/bmp.h"
#include "scene/scene.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace tarn {

ExchangeFiles::ExchangeFiles(const std::string& programFolder)
    : folder_(programFolder.empty() ? std::string() : joinPath(programFolder, "MySystem")) {}

std::string ExchangeFiles::path(ExchangeFile file) const {
    if (folder_.empty())
        return {};
    switch (file) {
    case ExchangeFile::OldPic:
        return joinPath(folder_, "OLDPIC.emf");
    case ExchangeFile::OldPicMask:
        return joinPath(folder_, "OLDPICMASK.emf");
    case ExchangeFile::NewPic:
        return joinPath(folder_, "NEWPIC.emf");
    case ExchangeFile::NewPicMask:
        return joinPath(folder_, "NEWPICMASK.emf");
    }
    return {};
}

Status ExchangeFiles::writeOld(const Picture& picture, const Mask& mask) const {
    return writePair(ExchangeFile::OldPic, ExchangeFile::OldPicMask, picture, mask);
}

Status ExchangeFiles::writeNew(const Picture& picture, const Mask& mask) const {
    return writePair(ExchangeFile::NewPic, ExchangeFile::NewPicMask, picture, mask);
}

Status ExchangeFiles::writePair(ExchangeFile pictureFile, ExchangeFile maskFile,
                                const Picture& picture, const Mask& mask) const {
    // A document of no program (a command-line run) keeps no record.
    if (folder_.empty())
        return {};
    Status status = writeOne(pictureFile, picture);
    if (status.ok())
        status = writeOne(maskFile, mask);
    if (status.ok())
        return status;
    // Most likely a first run: the working folder does not exist yet.
    std::error_code ignored;
    std::filesystem::create_directory(folder_, ignored);
    status = writeOne(pictureFile, picture);
    if (status.ok())
        status = writeOne(maskFile, mask);
    return status;
}

Status ExchangeFiles::writeOne(ExchangeFile file, const Picture& picture) const {
    if (picture.isNull())
        return systemError(EINVAL, path(file)); // a BMP cannot hold an empty picture
    const Bytes bytes = encodeBmp24(picture);
    return writeFileAtomically(path(file), bytes, Durability::Scratch);
}

Status ExchangeFiles::read(ExchangeFile file, Picture& out) const {
    Bytes bytes;
    // Never more than a 24-bit BMP of the largest part, row padding included.
    constexpr std::uint64_t kLargest =
        kBmpHeadersSize + static_cast<std::uint64_t>(kMaxPartPixels) * 4;
    Status status = readWholeFile(path(file), bytes, kLargest);
    if (status.ok()) {
        status = decodeBmp24(bytes, out);
        if (!status.ok())
            status.file = path(file);
    }
    return status;
}

} // namespace tarn
