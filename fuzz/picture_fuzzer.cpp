// Any bytes as a part picture, through the path a terrain choice takes: the
// loader refuses what it cannot read or what claims more than kMaxPartSide
// pixels a side or kMaxPartPixels in all, each try stays within the time and
// memory the loader promises, and whatever it accepts is masked into a slot
// whose mask is black and white only, white exactly on the key colour.
#include "app/common/picture_io.h"
#include "fuzz_check.h"
#include "scene/mask.h"
#include "scene/pixel_array.h"
#include "scene/scene.h"
#include "scene/terrain_edit.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QtGlobal>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <sys/resource.h>

namespace {

// The loader's promise: a part's buffers stay under 64 MB and it decodes in
// well under a second. Sanitizers add red zones, shadow memory and slower code.
constexpr long kMemoryBoundKb = 2 * 64 * 1024;
constexpr double kSecondsBound = 1.0;

// Qt 6.4 gives a top-down BMP a negative height; the picture is as tall either way.
QSize declaredSize(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const QSize size = QImageReader(&buffer, "bmp").size();
    return {size.width(), size.height() == INT_MIN ? INT_MAX : std::abs(size.height())};
}

double cpuSeconds(const rusage& r) {
    return double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
           double(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

void checkMasked(const tarn::Picture& part, const tarn::Slot& slot) {
    const int w = part.width();
    const int h = part.height();
    FUZZ_CHECK(slot.picture().width() == w && slot.picture().height() == h);
    FUZZ_CHECK(slot.mask().width() == w && slot.mask().height() == h);
    const tarn::Rgb key = part.pixel(0, 0);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool isKey = part.pixel(x, y) == key;
            FUZZ_CHECK(slot.mask().pixel(x, y) == (isKey ? tarn::kWhite : tarn::kBlack));
            FUZZ_CHECK(slot.picture().pixel(x, y) == (isKey ? tarn::kWhite : part.pixel(x, y)));
        }
    }
    FUZZ_CHECK(slot.mask().pixel(0, 0) == tarn::kWhite);

    // The raster rule gives the same pair as the pixel-array rule.
    tarn::Picture picture = part;
    tarn::Mask mask(w, h);
    tarn::makemask(picture, mask, w, h);
    FUZZ_CHECK(picture == slot.picture());
    FUZZ_CHECK(mask == slot.mask());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Decoders complain about every broken file; thousands of runs a second
    // would bury libFuzzer's own report.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QSize declared = declaredSize(bytes);
    const bool tooLarge =
        declared.width() > tarn::kMaxPartSide || declared.height() > tarn::kMaxPartSide ||
        static_cast<qint64>(declared.width()) * declared.height() > tarn::kMaxPartPixels;

    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const tarn::Picture untouched(1, 2, tarn::Rgb{1, 2, 3});
    tarn::Picture part = untouched;
    rusage before{}, after{};
    ::getrusage(RUSAGE_SELF, &before);
    const bool loaded = tarn::loadPicture(&buffer, part);
    ::getrusage(RUSAGE_SELF, &after);
    FUZZ_CHECK(cpuSeconds(after) - cpuSeconds(before) < kSecondsBound);
    FUZZ_CHECK(after.ru_maxrss - before.ru_maxrss < kMemoryBoundKb);
    if (!loaded) {
        FUZZ_CHECK(part == untouched);
        return 0;
    }
    FUZZ_CHECK(!tooLarge);
    FUZZ_CHECK(part.width() == declared.width() && part.height() == declared.height());

    // Kept from run to run, as the window keeps its scene and working array.
    static tarn::Scene scene;
    static tarn::PixelArray work;
    FUZZ_CHECK(tarn::chooseTerrainPart(scene, 1, "part", "part.bmp", part, work));
    checkMasked(part, scene.slot(1));
    return 0;
}
