#include "dungeon/card_pictures.h"

#include <cmath>

namespace tarn {

namespace {

constexpr Rgb kPlate{38, 34, 46};
constexpr Rgb kRim{150, 136, 104};
constexpr Rgb kArrow{236, 226, 188};
constexpr int kRimWidth = 3;

struct P {
    double x;
    double y;
};

bool inTriangle(P p, P a, P b, P c) {
    const auto side = [&](P u, P v) {
        return (v.x - u.x) * (p.y - u.y) - (v.y - u.y) * (p.x - u.x);
    };
    const double d1 = side(a, b), d2 = side(b, c), d3 = side(c, a);
    return (d1 >= 0 && d2 >= 0 && d3 >= 0) || (d1 <= 0 && d2 <= 0 && d3 <= 0);
}

bool inBox(P p, double left, double top, double right, double bottom) {
    return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
}

// Part of a ring about (cx, cy) between the radii, within the quarter or half
// the predicate keeps.
template <typename Keep> bool inRing(P p, P centre, double inner, double outer, Keep keep) {
    const double r = std::hypot(p.x - centre.x, p.y - centre.y);
    return r >= inner && r < outer && keep(p.x - centre.x, p.y - centre.y);
}

// Shapes drawn for a card turning left; a right turn is its mirror image.
bool turnLeftArrow(P p) {
    return inBox(p, 42, 50, 54, 82) ||
           inRing(p, {30, 50}, 12, 24, [](double dx, double dy) { return dx >= 0 && dy <= 0; }) ||
           inTriangle(p, {8, 32}, {31, 14}, {31, 50});
}

bool arrowAt(Move move, P p) {
    switch (move) {
    case Move::Forward:
        return inBox(p, 31, 40, 43, 80) || inTriangle(p, {37, 12}, {15, 44}, {59, 44});
    case Move::TurnLeft:
        return turnLeftArrow(p);
    case Move::TurnRight:
        return turnLeftArrow({kCardWidth - p.x, p.y});
    case Move::TurnAround:
        return inBox(p, 44, 44, 56, 82) ||
               inRing(p, {37, 44}, 7, 19, [](double, double dy) { return dy <= 0; }) ||
               inBox(p, 18, 44, 30, 58) || inTriangle(p, {8, 57}, {40, 57}, {24, 80});
    }
    return false;
}

} // namespace

Picture cardPicture(Move move) {
    Picture card(kCardWidth, kCardHeight, kRim);
    for (int y = kRimWidth; y < kCardHeight - kRimWidth; ++y)
        for (int x = kRimWidth; x < kCardWidth - kRimWidth; ++x)
            card.setPixel(x, y, arrowAt(move, {x + 0.5, y + 0.5}) ? kArrow : kPlate);
    return card;
}

} // namespace tarn
