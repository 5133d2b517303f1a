#include "interleaved.h"
#include "output/jpeg_writer.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// A canvas with gradients and edges, closer to a composed view than flat colour.
tarn::Picture jpegCanvas() {
    tarn::Picture p(478, 278);
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x)
            p.setPixel(x, y,
                       {static_cast<std::uint8_t>(x / 2), static_cast<std::uint8_t>(y),
                        static_cast<std::uint8_t>(((x / 16 + y / 16) % 2) ? 200 : 40)});
    return p;
}

// The preview as the dialog writes it (a scratch file, not flushed to the
// disk) beside the same file written durably, as a saved picture is.
void BM_JpegPreviewVsDurable(benchmark::State& state) {
    const tarn::Picture canvas = jpegCanvas();
    std::string folder = (std::filesystem::temp_directory_path() / "tarn-bench-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string path = folder + "/tmp.jpg";
    const bool progressive = state.range(0) != 0;
    bool ok = true;
    tarn::bench::interleave(
        state,
        [&] {
            ok = ok && tarn::DCSavetoJPEG(canvas, 478, 278, path, 65, progressive,
                                          tarn::Durability::Scratch) == 0;
        },
        [&] {
            ok = ok && tarn::DCSavetoJPEG(canvas, 478, 278, path, 65, progressive,
                                          tarn::Durability::Durable) == 0;
        });
    if (!ok)
        state.SkipWithError("encoder failed");
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_JpegPreviewVsDurable)
    ->ArgName("progressive")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

} // namespace
