#include "scene/scene.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace tarn {

Scene::Scene() : canvas(kCanvasWidth, kCanvasHeight, kBlack) {}

int wholeNumber(const std::string& text) {
    std::size_t b = text.find_first_not_of(" \t");
    std::size_t e = text.find_last_not_of(" \t");
    if (b == std::string::npos)
        return 0;
    const std::string t = text.substr(b, e - b + 1);
    char* end = nullptr;
    const double v = std::strtod(t.c_str(), &end);
    if (end == t.c_str() || *end != '\0' || !std::isfinite(v))
        return 0;
    const double r = std::nearbyint(v); // default rounding mode: half to even
    if (r >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (r <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(r);
}

} // namespace tarn
