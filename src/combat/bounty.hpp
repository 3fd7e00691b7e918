#pragma once

namespace quellmoor {

struct Game;

/// Pays for the kill in the current room: one roll from the room's bounty, added to the
/// gold and announced. Killing the demon pays nothing: it shows the victory screen and
/// ends the game. REQUIRES: the current room holds an opponent.
void awardBounty(Game& game);

}  // namespace quellmoor
