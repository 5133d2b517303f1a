#pragma once

#include "scene/picture.h"

namespace tarn {

// The moves a dungeon area offers, one menu card each.
enum class Move { Forward, TurnLeft, TurnRight, TurnAround };
inline constexpr int kMoveCount = 4;

inline constexpr int kCardWidth = 74;
inline constexpr int kCardHeight = 94;

// The card's picture: an arrow for the move on a dark plate with a light rim.
Picture cardPicture(Move move);

} // namespace tarn
