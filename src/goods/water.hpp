#pragma once

namespace quellmoor {

struct Game;

/// "drink": at the spring (room 9), the well (20) or the fountain (57), restores health
/// to exactly 100; refused anywhere else.
void drinkWater(Game& game);

}  // namespace quellmoor
