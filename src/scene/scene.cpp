#include "scene/scene.h"

#include <algorithm>
#include <climits>
#include <limits>

namespace tarn {

Scene::Scene() : canvas(kCanvasWidth, kCanvasHeight, kBlack) {}

Rect Rect::fromEdges(long long left, long long top, long long right, long long bottom) {
    if (left >= right || top >= bottom)
        return {};
    const auto clamp = [](long long v) {
        return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
    };
    return {clamp(left), clamp(top), clamp(right - left), clamp(bottom - top)};
}

Rect Rect::united(const Rect& other) const {
    if (other.empty())
        return *this;
    if (empty())
        return other;
    return fromEdges(
        std::min<long long>(x, other.x), std::min<long long>(y, other.y),
        std::max(static_cast<long long>(x) + w, static_cast<long long>(other.x) + other.w),
        std::max(static_cast<long long>(y) + h, static_cast<long long>(other.y) + other.h));
}

Rect Rect::intersected(const Rect& other) const {
    return fromEdges(
        std::max<long long>(x, other.x), std::max<long long>(y, other.y),
        std::min(static_cast<long long>(x) + w, static_cast<long long>(other.x) + other.w),
        std::min(static_cast<long long>(y) + h, static_cast<long long>(other.y) + other.h));
}

const PartImage& noPartImage() {
    static const PartImage none;
    return none;
}

std::vector<std::string> missingParts(const Scene& scene) {
    std::vector<std::string> paths;
    for (const Slot& slot : scene.terrain())
        if (slot.missing())
            paths.push_back(slot.path);
    for (const ObjectRow& row : scene.objects)
        if (row.missing())
            paths.push_back(row.path);
    return paths;
}

Picture PartImage::original() const {
    Picture out = picture;
    for (int y = 0; y < out.height() && y < mask.height(); ++y)
        for (int x = 0; x < out.width() && x < mask.width(); ++x)
            if (mask.pixel(x, y) == kWhite)
                out.setPixel(x, y, key);
    return out;
}

const char* layerText(Layer layer) {
    return layer == Layer::InFront ? "T" : "F";
}

NumberReading readWholeNumber(std::string_view text, std::int64_t& value) {
    constexpr std::int64_t kClamp = 100'000'000'000LL;
    const std::size_t b = text.find_first_not_of(" \t");
    if (b == std::string_view::npos)
        return NumberReading::Bad;
    text = text.substr(b, text.find_last_not_of(" \t") - b + 1);

    bool negative = false;
    if (text.front() == '+' || text.front() == '-') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::int64_t magnitude = 0;
    bool huge = false;
    std::size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > kClamp) {
            huge = true;
            magnitude = kClamp;
        }
    }
    const std::size_t wholeDigits = i;
    int firstFraction = -1; // first digit after the point, -1 when there is none
    bool restNonZero = false;
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            if (firstFraction < 0)
                firstFraction = text[i] - '0';
            else if (text[i] != '0')
                restNonZero = true;
        }
    }
    if (i != text.size() || (wholeDigits == 0 && firstFraction < 0))
        return NumberReading::Bad;

    if (firstFraction > 5 || (firstFraction == 5 && (restNonZero || magnitude % 2 == 1)))
        ++magnitude;
    value = negative ? -magnitude : magnitude;
    return huge ? NumberReading::TooLarge : NumberReading::Whole;
}

int wholeNumber(const std::string& text) {
    std::int64_t v = 0;
    if (readWholeNumber(text, v) == NumberReading::Bad)
        return 0;
    return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

} // namespace tarn
