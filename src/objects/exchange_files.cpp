#include "objects/exchange_files.h"

#include "output/bmp_writer.h"
#include "scene/part_names.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace tarn {

ExchangeFiles::ExchangeFiles(const std::string& programFolder)
    : folder_(trimpath(programFolder) + "/MySystem") {}

std::string ExchangeFiles::path(ExchangeFile file) const {
    switch (file) {
    case ExchangeFile::OldPic:
        return folder_ + "/OLDPIC.emf";
    case ExchangeFile::OldPicMask:
        return folder_ + "/OLDPICMASK.emf";
    case ExchangeFile::NewPic:
        return folder_ + "/NEWPIC.emf";
    case ExchangeFile::NewPicMask:
        return folder_ + "/NEWPICMASK.emf";
    }
    return {};
}

IoStatus ExchangeFiles::writeOld(const Picture& picture, const Mask& mask) const {
    return writePair(ExchangeFile::OldPic, ExchangeFile::OldPicMask, picture, mask);
}

IoStatus ExchangeFiles::writeNew(const Picture& picture, const Mask& mask) const {
    return writePair(ExchangeFile::NewPic, ExchangeFile::NewPicMask, picture, mask);
}

IoStatus ExchangeFiles::writePair(ExchangeFile pictureFile, ExchangeFile maskFile,
                                  const Picture& picture, const Mask& mask) const {
    IoStatus status = writeOne(pictureFile, picture);
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

IoStatus ExchangeFiles::writeOne(ExchangeFile file, const Picture& picture) const {
    if (picture.isNull())
        return {EINVAL, errorDescription(EINVAL)}; // a BMP cannot hold an empty picture
    const Bytes bytes = encodeBmp24(picture);
    return writeFileAtomically(path(file), bytes, Durability::Scratch);
}

ExchangeReadResult ExchangeFiles::read(ExchangeFile file, Picture& out) const {
    ExchangeReadResult result;
    Bytes bytes;
    result.io = readWholeFile(path(file), bytes);
    if (result.io.ok())
        result.bmp = decodeBmp24(bytes, out);
    return result;
}

} // namespace tarn
