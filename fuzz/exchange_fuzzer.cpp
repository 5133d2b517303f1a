// Any bytes as an exchange file: the reader either refuses them with a reason
// and leaves the picture alone, or gives a picture the program can write back
// and read again unchanged.
#include "fuzz_check.h"
#include "output/bmp_writer.h"
#include "scene/bmp.h"
#include "scene/scene.h"

#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const tarn::Picture untouched(2, 1, tarn::Rgb{1, 2, 3});
    tarn::Picture picture = untouched;
    const tarn::Status result = tarn::decodeBmp24(std::span(data, size), picture);
    if (!result.ok()) {
        FUZZ_CHECK(result.code != tarn::StatusCode::System && result.error == 0);
        FUZZ_CHECK(picture == untouched);
        return 0;
    }
    FUZZ_CHECK(!picture.isNull());
    FUZZ_CHECK(picture.width() <= tarn::kMaxPartSide && picture.height() <= tarn::kMaxPartSide);
    FUZZ_CHECK(picture.byteCount() ==
               picture.rowBytes() * static_cast<std::size_t>(picture.height()));

    const tarn::Bytes rewritten = tarn::encodeBmp24(picture);
    tarn::Picture again;
    FUZZ_CHECK(tarn::decodeBmp24(rewritten, again).ok());
    FUZZ_CHECK(again == picture);
    return 0;
}
