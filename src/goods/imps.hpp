#pragma once

namespace quellmoor {

struct Game;

/// "open": at the trash cans of room 22 the imps join the player, who from then on
/// strike 20 more with every blow; refused anywhere else.
void openCans(Game& game);

}  // namespace quellmoor
