// Any bytes as a scene file. Refused text leaves the caller's record alone;
// accepted text is a record within the limits that writes back to itself.
#include "document/scene_file.h"
#include "fuzz_check.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    tarn::SceneFileData kept;
    kept.terrain[2] = {"kept", "/kept/kept_br.bmp"};
    tarn::SceneFileData out = kept;
    const tarn::Status status = tarn::parseSceneFile(text, "/scenes/views", out);
    if (!status.ok()) {
        FUZZ_CHECK(out == kept);
        return 0;
    }
    FUZZ_CHECK(out.objects.size() <= static_cast<std::size_t>(tarn::kMaxObjects));
    for (const auto& o : out.objects)
        FUZZ_CHECK(!o.name.empty() && !o.path.empty() && o.path.front() == '/');
    for (const auto& s : out.terrain)
        FUZZ_CHECK(s.name.empty() || (!s.path.empty() && s.path.front() == '/'));
    // Written again and read back, in another folder: the same record.
    const std::string written = tarn::sceneFileText(out, "/elsewhere");
    tarn::SceneFileData again;
    FUZZ_CHECK(tarn::parseSceneFile(written, "/elsewhere", again).ok());
    FUZZ_CHECK(again == out);
    return 0;
}
