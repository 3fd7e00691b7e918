#pragma once

namespace quellmoor {

struct Game;

/// "attack": one exchange with the opponent of the current room. The player strikes;
/// an opponent still alive strikes back, a dead one is paid for. Refused in rooms
/// without an opponent.
///
/// Draws from the generator, in order: the strike (none with fists), then either the
/// opponent's blow or the bounty. A refused attack, or one on a slain opponent, draws
/// nothing.
void attack(Game& game);

/// The player's half: strike, Amplify Damage, imps, and the kill test.
void playerStrike(Game& game);

/// The opponent's half: the bounty for a kill, or a blow softened by armour, then by
/// Weaken; a blow that takes health to 0 or below kills the player.
void opponentStrike(Game& game);

}  // namespace quellmoor
