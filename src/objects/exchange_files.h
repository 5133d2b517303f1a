#pragma once

#include "objects/bmp_reader.h"
#include "output/file_write.h"
#include "scene/picture.h"

#include <string>

namespace tarn {

enum class ExchangeFile { OldPic, OldPicMask, NewPic, NewPicMask };

struct ExchangeReadResult {
    IoStatus io;
    BmpReadResult bmp;
    bool ok() const { return io.ok() && bmp.ok(); }
};

// The four working files in <program folder>/MySystem that record the pictures of
// an object row exchange. Each holds a 24-bit BMP with the exact pixels and size
// of the buffer it was written from, whatever its ".emf" name says.
class ExchangeFiles {
  public:
    explicit ExchangeFiles(const std::string& programFolder);

    const std::string& folder() const { return folder_; }
    std::string path(ExchangeFile file) const;

    // Writes the picture and its mask to OLDPIC/OLDPICMASK (writeOld) or
    // NEWPIC/NEWPICMASK (writeNew). If that fails, MySystem is created and both
    // files are written again; the status is that of the last attempt.
    IoStatus writeOld(const Picture& picture, const Mask& mask) const;
    IoStatus writeNew(const Picture& picture, const Mask& mask) const;

    // On failure `out` keeps its contents.
    ExchangeReadResult read(ExchangeFile file, Picture& out) const;

  private:
    IoStatus writePair(ExchangeFile pictureFile, ExchangeFile maskFile, const Picture& picture,
                       const Mask& mask) const;
    IoStatus writeOne(ExchangeFile file, const Picture& picture) const;

    std::string folder_;
};

} // namespace tarn
