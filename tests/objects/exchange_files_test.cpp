#include "objects/exchange_files.h"
#include "output/file_write.h"
#include "support/temp_folder.h"
#include "support/test_pictures.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tarn {
namespace {

using test::patterned;
using test::TempFolder;

TEST(ExchangeFiles, NamesTheFourFilesUnderMySystemWhateverTheTrailingSlash) {
    for (const char* folder : {"/opt/tarn", "/opt/tarn/"}) {
        const ExchangeFiles files(folder);
        EXPECT_EQ(files.path(ExchangeFile::OldPic), "/opt/tarn/MySystem/OLDPIC.emf");
        EXPECT_EQ(files.path(ExchangeFile::OldPicMask), "/opt/tarn/MySystem/OLDPICMASK.emf");
        EXPECT_EQ(files.path(ExchangeFile::NewPic), "/opt/tarn/MySystem/NEWPIC.emf");
        EXPECT_EQ(files.path(ExchangeFile::NewPicMask), "/opt/tarn/MySystem/NEWPICMASK.emf");
    }
}

// The first write of a run without MySystem creates it; later writes replace
// the files with pictures of other sizes.
TEST(ExchangeFiles, WritesCreateTheFolderAndReadBackExactPixelsAndSizes) {
    TempFolder program;
    const ExchangeFiles files(program.path().string());
    ASSERT_FALSE(std::filesystem::exists(files.folder()));

    struct Pair {
        Picture picture;
        Picture mask;
    };
    const Pair rounds[] = {{patterned(40, 60, 1), patterned(40, 60, 2)},
                           {patterned(1, 1, 3), patterned(1, 1, 4)},
                           {patterned(7, 13, 5), patterned(7, 13, 6)}};
    for (const Pair& pair : rounds) {
        ASSERT_TRUE(files.writeOld(pair.picture, pair.mask).ok());
        ASSERT_TRUE(files.writeNew(pair.mask, pair.picture).ok());
        Picture oldPic, oldMask, newPic, newMask;
        EXPECT_TRUE(files.read(ExchangeFile::OldPic, oldPic).ok());
        EXPECT_TRUE(files.read(ExchangeFile::OldPicMask, oldMask).ok());
        EXPECT_TRUE(files.read(ExchangeFile::NewPic, newPic).ok());
        EXPECT_TRUE(files.read(ExchangeFile::NewPicMask, newMask).ok());
        EXPECT_EQ(oldPic, pair.picture);
        EXPECT_EQ(oldMask, pair.mask);
        EXPECT_EQ(newPic, pair.mask);
        EXPECT_EQ(newMask, pair.picture);
    }
    // Only the four files remain: no temporary file is left beside them.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(files.folder()))
        ++entries;
    EXPECT_EQ(entries, 4);
}

TEST(ExchangeFiles, UnusableFolderFailsCleanly) {
    TempFolder program;
    const ExchangeFiles files(program.path().string());
    // A file where the folder should be: it can neither be written into nor created.
    const Bytes junk{'x'};
    ASSERT_TRUE(writeFileAtomically(files.folder(), junk).ok());

    EXPECT_FALSE(files.writeOld(patterned(3, 3), patterned(3, 3)).ok());
    const IoStatus status = files.writeNew(patterned(3, 3), patterned(3, 3));
    EXPECT_FALSE(status.ok());
    EXPECT_FALSE(status.description.empty());

    Picture out = patterned(2, 2);
    const Picture before = out;
    EXPECT_FALSE(files.read(ExchangeFile::OldPic, out).ok());
    EXPECT_EQ(out, before);
}

TEST(ExchangeFiles, ReadRefusesAFileThatIsNotABitmap) {
    TempFolder program;
    const ExchangeFiles files(program.path().string());
    std::filesystem::create_directory(files.folder());
    const Bytes garbage{'B', 'M', 1, 2, 3, 4, 5};
    ASSERT_TRUE(writeFileAtomically(files.path(ExchangeFile::NewPic), garbage).ok());

    Picture out = patterned(2, 2);
    const Picture before = out;
    const ExchangeReadResult r = files.read(ExchangeFile::NewPic, out);
    EXPECT_TRUE(r.io.ok());
    EXPECT_EQ(r.bmp.error, BmpError::Truncated);
    EXPECT_EQ(out, before);
}

} // namespace
} // namespace tarn
