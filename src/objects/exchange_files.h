#pragma once

#include "base/status.h"
#include "scene/picture.h"

#include <string>

namespace tarn {

enum class ExchangeFile { OldPic, OldPicMask, NewPic, NewPicMask };

// The four working files in <program folder>/MySystem that record the pictures of
// an object row exchange. Each holds a 24-bit BMP with the exact pixels and size
// of the buffer it was written from, whatever its ".emf" name says.
class ExchangeFiles {
  public:
    // An empty program folder: nothing is written.
    explicit ExchangeFiles(const std::string& programFolder);

    std::string path(ExchangeFile file) const;

    // Writes the picture and its mask to OLDPIC/OLDPICMASK (writeOld) or
    // NEWPIC/NEWPICMASK (writeNew). If that fails, MySystem is created and both
    // files are written again; the status is that of the last attempt.
    Status writeOld(const Picture& picture, const Mask& mask) const;
    Status writeNew(const Picture& picture, const Mask& mask) const;

    // A file that cannot be read (System) or decoded (a Bmp code); on failure
    // `out` keeps its contents.
    Status read(ExchangeFile file, Picture& out) const;

  private:
    Status writePair(ExchangeFile pictureFile, ExchangeFile maskFile, const Picture& picture,
                     const Mask& mask) const;
    Status writeOne(ExchangeFile file, const Picture& picture) const;

    std::string folder_;
};

} // namespace tarn
